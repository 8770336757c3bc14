// Each way loading the hosted plug-in can fail: exactly its log lines, in order, a null
// record for the host, and the settings file still written.
#include "tests/support/OplexaUnderTest.h"
#include "tests/support/Probe.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>

namespace
{
// The lines after the two start lines.
std::vector<std::string> afterStart(const OplexaUnderTest& oplexa)
{
    std::vector<std::string> messages = oplexa.messages();
    EXPECT_GE(messages.size(), 2u);
    EXPECT_EQ(messages.at(0), "Oplexa - " + oplexa.modulePath());
    return {messages.begin() + 2, messages.end()};
}

void expectNothingHostedAndSettingsWritten(const OplexaUnderTest& oplexa, AEffect* effect)
{
    EXPECT_EQ(effect, nullptr);
    EXPECT_NE(readFile(oplexa.settingsFile()).find("<LastDir>"), std::string::npos);
}
} // namespace

TEST(LoadFailure, NoDisplayAndNoChoiceIsACancelledChoice)
{
    OplexaUnderTest oplexa("");
    AEffect* effect = oplexa.start();
    EXPECT_EQ(afterStart(oplexa),
              (std::vector<std::string>{"No display to show the plugin chooser on; set "
                                        "OPLEXA_PLUGIN to the plugin to log",
                                        "No plugin was selected"}));
    expectNothingHostedAndSettingsWritten(oplexa, effect);
    // Cancelled: lastDir fell back to the home folder.
    EXPECT_NE(readFile(oplexa.settingsFile()).find("<LastDir>" + std::string(getenv("HOME"))),
              std::string::npos);
}

TEST(LoadFailure, NoModuleAtThePath)
{
    TempFolder elsewhere;
    const std::string missing = elsewhere.file("missing.so");
    OplexaUnderTest oplexa(missing);
    AEffect* effect = oplexa.start();
    const auto messages = afterStart(oplexa);
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0].rfind("Failed to load " + missing, 0), 0u) << messages[0];
    EXPECT_EQ(messages[1], "Failed to get VST main function");
    EXPECT_EQ(messages[2], "Unloaded " + missing);
    expectNothingHostedAndSettingsWritten(oplexa, effect);
    // The chosen file's folder becomes lastDir even though loading failed.
    EXPECT_NE(readFile(oplexa.settingsFile()).find("<LastDir>" + elsewhere.path() + "</LastDir>"),
              std::string::npos);
    EXPECT_NE(oplexa.lines().back().find(") missing.so:"), std::string::npos);
}

TEST(LoadFailure, ModuleWithoutEntryPoint)
{
    OplexaUnderTest oplexa(OPLEXA_PROBE_NOENTRY_PATH);
    AEffect* effect = oplexa.start();
    EXPECT_EQ(afterStart(oplexa),
              (std::vector<std::string>{"Failed to get VST main function",
                                        "Unloaded " + std::string(OPLEXA_PROBE_NOENTRY_PATH)}));
    expectNothingHostedAndSettingsWritten(oplexa, effect);
}

TEST(LoadFailure, EntryPointReturnsNull)
{
    Probe probe;
    probe->setEntryMode(kProbeEntryNull);
    OplexaUnderTest oplexa(probe.path());
    AEffect* effect = oplexa.start();
    EXPECT_EQ(afterStart(oplexa), (std::vector<std::string>{"Unloaded " + probe.path()}));
    expectNothingHostedAndSettingsWritten(oplexa, effect);
}

TEST(LoadFailure, WrongMagic)
{
    Probe probe;
    probe->setEntryMode(kProbeEntryBadMagic);
    OplexaUnderTest oplexa(probe.path());
    AEffect* effect = oplexa.start();
    EXPECT_EQ(afterStart(oplexa),
              (std::vector<std::string>{"Wrong Magic, probably not a VST plugin",
                                        "Unloaded " + probe.path()}));
    expectNothingHostedAndSettingsWritten(oplexa, effect);
    // The instance the entry point made is neither closed nor used again.
    EXPECT_EQ(probe->dispatchCount(effClose), 0);
}

TEST(LoadFailure, EntryPointsAreLookedUpAsVSTPluginMainThenMainThenMainMacho)
{
    const struct
    {
        const char* module;
        const char* called;
    } cases[] = {{OPLEXA_PROBE_MAINONLY_PATH, "main"},
                 {OPLEXA_PROBE_MAIN_MACHO_PATH, "main"},
                 {OPLEXA_PROBE_ALLENTRIES_PATH, "VSTPluginMain"}};
    OplexaUnderTest oplexa("");
    for (const auto& c : cases)
    {
        Probe probe(c.module);
        oplexa.setPlugin(c.module);
        AEffect* proxy = oplexa.start();
        ASSERT_NE(proxy, nullptr) << c.module;
        EXPECT_STREQ(probe->entryName(), c.called) << c.module;
        proxy->dispatcher(proxy, effClose, 0, 0, nullptr, 0.0f);
    }
}

TEST(LoadFailure, UnwritableFolderIsReportedAndShutdownGoesOn)
{
    Probe probe;
    probe->setEntryMode(kProbeEntryNull);
    OplexaUnderTest oplexa(probe.path());
    // A folder in place of the settings file makes the write fail whoever runs the test.
    ASSERT_EQ(mkdir(oplexa.settingsFile().c_str(), 0755), 0);
    std::ofstream(oplexa.settingsFile() + "/keep") << "x";
    EXPECT_EQ(oplexa.start(), nullptr);
    EXPECT_EQ(afterStart(oplexa), (std::vector<std::string>{"Unloaded " + probe.path(),
                                                            "Failed to write logger state to " +
                                                                oplexa.settingsFile()}));
}
