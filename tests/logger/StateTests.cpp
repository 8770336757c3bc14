// The switches and flags in the settings file: a faithful round trip, and every kind of bad
// file handled piece by piece.
#include "bridge/SettingsFile.h"
#include "tests/logger/CapturingLogger.h"
#include "vst/VstInterface.h"

#include <gtest/gtest.h>

namespace
{
using Group = OXLogger::vstOpCodeGroup;

std::vector<bool> switches(const OXLogger& logger)
{
    std::vector<bool> result;
    for (int g = 0; g < 3; ++g)
        for (int i = 0; i < logger.getVstNumOpCodes(static_cast<Group>(g)); ++i)
            result.push_back(logger.isVstOpCodeEnabled(static_cast<Group>(g), i));
    return result;
}

// Every switch, then every count.
std::vector<long> switchesAndCounts(const OXLogger& logger)
{
    const std::vector<bool> on = switches(logger);
    std::vector<long> result(on.begin(), on.end());
    for (int g = 0; g < 3; ++g)
        for (int i = 0; i < logger.getVstNumOpCodes(static_cast<Group>(g)); ++i)
            result.push_back(logger.getVstOpCodeCount(static_cast<Group>(g), i));
    return result;
}

void apply(const std::string& document, std::string& lastDir, OXLogger& logger)
{
    applySettings(document.data(), document.size(), lastDir, logger);
}

std::unique_ptr<juce::XmlElement> parse(const char* text)
{
    return juce::parseXML(juce::String(text));
}
} // namespace

TEST(LoggerState, MalformedPiecesAreSkippedOneByOne)
{
    CapturingLogger logger;
    logger.loadState(*parse(R"(<Logger>
        <vstDispatcherOpCodes>
          <opCode index="77" enabled="0"/>
          <opCode index="-1" enabled="0"/>
          <opCode index="2"/>
          <opCode index="3" enabled="-4"/>
          <opCode index="4" enabled="0"/>
          <opCode index="4" enabled="5"/>
          <opCode index="6" enabled="0"/>
          <other index="7" enabled="0"/>
          <opCode enabled="0"/>
          <opCode index="x" enabled="0"/>
        </vstDispatcherOpCodes>
        <vstDispatcherOpCodes><opCode index="8" enabled="0"/></vstDispatcherOpCodes>
        <Parameters logTime="1"/>
      </Logger>)"));
    const auto group = OXLogger::vstDispatcherOpCodes;
    for (int i : {2, 3, 4, 7, 8, 76})
        EXPECT_TRUE(logger.isVstOpCodeEnabled(group, i)) << i;
    // "x" reads as 0, like any text without a leading number.
    EXPECT_FALSE(logger.isVstOpCodeEnabled(group, 0));
    EXPECT_FALSE(logger.isVstOpCodeEnabled(group, 6));
    EXPECT_TRUE(logger.logParameters);
    EXPECT_TRUE(logger.logReturnParameters);
    EXPECT_TRUE(logger.logTime);
}

TEST(LoggerState, TwoLoggersCountAndSwitchApart)
{
    CapturingLogger changed;
    CapturingLogger other;
    other.logVstDispatcher(effOpen, 0, 0, nullptr, 0.0f);
    other.logVstSetParameter(0, 0.5f);
    const std::vector<long> otherBefore = switchesAndCounts(other);
    // Each step changes something in its own logger.
    void (*const steps[])(OXLogger&) = {
        [](OXLogger& l) { l.logVstDispatcher(effOpen, 0, 0, nullptr, 0.0f); },
        [](OXLogger& l) { l.logVstAudioMaster(audioMasterIdle, 0, 0, nullptr, 0.0f); },
        [](OXLogger& l) { l.logVstProcess(nullptr, nullptr, 1, true); },
        [](OXLogger& l) { l.setVstOpCodeEnabled(false, OXLogger::vstDispatcherOpCodes, effOpen); },
        [](OXLogger& l) { l.toggleVstOpCodesEnabled(); },
        [](OXLogger& l) { l.resetVstOpCodeCounters(); },
        [](OXLogger& l) { l.setVstOpCodesEnabled(false); },
        [](OXLogger& l) { l.init("Other.so"); },
    };
    for (size_t i = 0; i < std::size(steps); ++i)
    {
        const std::vector<long> changedBefore = switchesAndCounts(changed);
        steps[i](changed);
        EXPECT_NE(switchesAndCounts(changed), changedBefore) << "step " << i;
        EXPECT_EQ(switchesAndCounts(other), otherBefore) << "step " << i;
    }
}

TEST(LoggerState, NamesInCapitalsAreAccepted)
{
    CapturingLogger logger;
    logger.loadState(*parse(R"(<LOGGER><VSTAUDIOMASTEROPCODES><OPCODE INDEX="5" ENABLED="0"/>
        </VSTAUDIOMASTEROPCODES><PARAMETERS LOGPARAMETERS="0" LOGRETURNPARAMETERS="0"/></LOGGER>)"));
    EXPECT_FALSE(logger.isVstOpCodeEnabled(OXLogger::vstAudioMasterOpCodes, 5));
    EXPECT_FALSE(logger.logParameters);
    EXPECT_FALSE(logger.logReturnParameters);
    EXPECT_FALSE(logger.logTime);
}

TEST(SettingsFile, BadFilesChangeNothing)
{
    const std::string documents[] = {
        "",
        "not xml at all",
        "<Oplexa><LastDir>/tmp</LastDir><Logger><vstDispatcherOpCodes><opCode index=\"1\" ena",
        "<Oplexa><LastDir></LastDir><LastDir>relative/folder</LastDir></Oplexa>",
        std::string("\xff\xfe<\x00O\x00", 6),
        // A broken UTF-8 sequence at the very end once made the parser read past the text.
        "<Oplexa><LastDir>/tmp</LastDir><Logger><Parameters logTime=\"1\"/></Logger></Oplexa>\xc2",
        std::string("<Oplexa><LastDir>/tmp</LastDir></Oplexa>\0<", 42),
        // Text after a processing instruction inside an element once hung the parser for good.
        "<?xml version=\"1.0\"?><Oplexa><LastDir>/tmp</LastDir> <?x?>b</Oplexa>",
    };
    for (const std::string& document : documents)
    {
        CapturingLogger logger;
        std::string lastDir("/keep");
        apply(document, lastDir, logger);
        if (document.find('\0') != std::string::npos && document.size() == 42)
        {
            EXPECT_EQ(lastDir, "/tmp"); // read up to the zero byte
            continue;
        }
        EXPECT_EQ(lastDir, "/keep") << document;
        EXPECT_EQ(switches(logger), std::vector<bool>(134, true)) << document;
    }
}

TEST(SettingsFile, AnElementInLastDirEmptiesItAndOldFilesSwitchTheNewFunctionOn)
{
    CapturingLogger logger;
    std::string lastDir("/keep");
    std::string functions; // as written before processDoubleReplacing, function 6, existed
    for (int i = 0; i < 6; ++i)
        functions += "<opCode index=\"" + std::to_string(i) + "\" enabled=\"0\"/>";
    apply("<Oplexa><LastDir><Folder>/tmp</Folder></LastDir><Logger><vstAEffectFunctions>" +
              functions + "</vstAEffectFunctions></Logger></Oplexa>",
          lastDir, logger);
    EXPECT_EQ(lastDir, "");
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(logger.isVstOpCodeEnabled(OXLogger::vstAEffectFunctions, i), i == 6) << i;
}

TEST(SettingsFile, ForeignRootIsReadAndTheFileRestoresEverySwitchAndFlag)
{
    CapturingLogger logger;
    std::string lastDir;
    apply("<Something><LastDir>/opt/vst</LastDir><Logger><vstAEffectFunctions>"
          "<opCode index=\"2\" enabled=\"0\"/></vstAEffectFunctions></Logger></Something>",
          lastDir, logger);
    EXPECT_EQ(lastDir, "/opt/vst");
    EXPECT_FALSE(logger.isVstOpCodeEnabled(OXLogger::vstAEffectFunctions, 2));

    for (int g = 0; g < 3; ++g)
        for (int i = 0; i < logger.getVstNumOpCodes(static_cast<Group>(g)); i += 1 + g)
            logger.setVstOpCodeEnabled(false, static_cast<Group>(g), i);
    logger.logParameters = false;
    logger.logTime = true;
    logger.logVstDispatcher(effOpen, 0, 0, nullptr, 0.0f);
    const juce::File file = juce::File::createTempFile(".xml");
    ASSERT_TRUE(writeSettings(file, lastDir, logger));
    const juce::String written = file.loadFileAsString();
    EXPECT_TRUE(written.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
    EXPECT_TRUE(written.contains("<Oplexa>\r\n  <LastDir>/opt/vst</LastDir>\r\n  <Logger>"));
    EXPECT_TRUE(written.contains("name=\"ThereIsNoSuchOpCode\""));
    CapturingLogger reread;
    std::string rereadDir;
    readSettings(file, rereadDir, reread);
    EXPECT_EQ(rereadDir, lastDir);
    EXPECT_EQ(switches(reread), switches(logger));
    EXPECT_FALSE(reread.logParameters);
    EXPECT_TRUE(reread.logReturnParameters);
    EXPECT_TRUE(reread.logTime);
    EXPECT_EQ(reread.getVstOpCodeCount(OXLogger::vstDispatcherOpCodes, effOpen), 0);
    file.deleteFile();
    readSettings(file, rereadDir, reread); // missing: nothing happens
    EXPECT_FALSE(writeSettings(juce::File(), lastDir, logger));
}

TEST(SettingsFile, LastDirKeepsItsBytesAndValidPathsAreWrittenAsBefore)
{
    const struct
    {
        std::string bytes;
        const char* element; // as written
    } cases[] = {
        {"/opt/vst", "<LastDir>/opt/vst</LastDir>"},
        {"/a\\xff/\\\\b/\xc3\xa9", "<LastDir>/a\\xff/\\\\b/&#233;</LastDir>"},
        {"/tmp/x\xff\xfe", "<LastDir escaped=\"1\">/tmp/x\\xff\\xfe</LastDir>"},
        {"/a\\xff/\xc3\xa9\xc3/\\", "<LastDir escaped=\"1\">/a\\\\xff/&#233;\\xc3/\\\\</LastDir>"},
    };
    for (const auto& c : cases)
    {
        CapturingLogger logger;
        const juce::String written = settingsText(c.bytes, logger);
        EXPECT_TRUE(written.contains(c.element)) << c.element;
        std::string reread;
        apply(written.toStdString(), reread, logger);
        EXPECT_EQ(reread, c.bytes) << c.element;
    }
    // An escape that is not one the writer makes changes nothing.
    for (const char* bad : {"/a\\x4", "/a\\q", "/a\\x00", "a\\xff"})
    {
        CapturingLogger logger;
        std::string lastDir("/keep");
        apply(std::string("<Oplexa><LastDir escaped=\"1\">") + bad + "</LastDir></Oplexa>", lastDir,
              logger);
        EXPECT_EQ(lastDir, "/keep") << bad;
    }
}
