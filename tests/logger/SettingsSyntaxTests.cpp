// What the settings reader hands to JUCE's parser: plain XML only.
#include "bridge/SettingsSyntax.h"

#include <gtest/gtest.h>

#include <string>

TEST(SettingsSyntax, AcceptsWhatTheSettingsFileHolds)
{
    EXPECT_TRUE(isPlainXml("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n\r\n<Oplexa>\r\n"
                           "  <LastDir>/a &amp; b/&#233;t&#xE9;</LastDir>\r\n  <Logger>\r\n"
                           "    <vstAEffectFunctions>\r\n      <opCode index=\"0\" "
                           "name=\"dispatcher\" enabled='1'/>\r\n    </vstAEffectFunctions>\r\n"
                           "    <Parameters logParameters=\"1\" logTime=\"0\"/>\r\n  </Logger>\r\n"
                           "</Oplexa>\r\n<!-- trailing comment -->\n"));
    EXPECT_TRUE(isPlainXml("<a><!-- c --><b x = \"&lt;&gt;&quot;&apos;\"/>text</a>"));
}

TEST(SettingsSyntax, RefusesWhatJuceCannotParseSafely)
{
    const std::string refused[] = {
        "",
        "   ",
        "text",
        "<a>",
        "<a></b>",
        "<a/><b/>",
        "<a>x</a>junk",
        "<a> <?x?>b</a>", // never returned from
        "<a>&#x",         // read past the end
        "<a>&#</a>",
        "<a>&#x123456789;</a>",
        "<a>&unknown;</a>",
        "<a>&amp</a>",
        "<a b=\"&#x\"/>",
        "<a b=c/>",
        "<a b=\"<\"/>",
        "<a b=\"x/>",
        "<a><![CDATA[x]]></a>",
        "<!DOCTYPE a><a/>",
        "<?xml version=\"1.0\"",
        "<a><!-- open</a>",
        "< a/>",
        "<1a/>",
    };
    for (const std::string& text : refused)
        EXPECT_FALSE(isPlainXml(text)) << text;
}

TEST(SettingsSyntax, NestingIsBounded)
{
    std::string deep;
    for (int i = 0; i < 32; ++i)
        deep += "<a>";
    for (int i = 0; i < 32; ++i)
        deep += "</a>";
    EXPECT_TRUE(isPlainXml(deep));
    EXPECT_FALSE(isPlainXml("<a>" + deep + "</a>"));
    EXPECT_FALSE(isPlainXml(std::string(100000, '<')));
}
