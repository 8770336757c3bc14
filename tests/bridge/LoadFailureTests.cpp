// Each way loading the hosted plug-in can fail: exactly its log lines, in order, a null
// record for the host, and the settings file still written.
#include "tests/support/OplexaUnderTest.h"
#include "tests/support/Probe.h"

#include <gtest/gtest.h>

#include <memory>

TEST(LoadFailure, EachWayLoadingFailsHasItsLinesAndHostsNothing)
{
    TempFolder elsewhere;
    const std::string missing = elsewhere.file("missing.so");
    const std::string probePath = OPLEXA_PROBE_PATH;
    const struct
    {
        const char* what;
        std::string module;
        int entryMode;
        std::vector<std::string> lines; // after the three start lines; "Failed to load" is a prefix
    } cases[] = {
        {"no module at the path",
         missing,
         kProbeEntryNormal,
         {"Failed to load " + missing, "Failed to get VST main function", "Unloaded " + missing}},
        {"no entry point",
         OPLEXA_PROBE_NOENTRY_PATH,
         kProbeEntryNormal,
         {"Failed to get VST main function", "Unloaded " + std::string(OPLEXA_PROBE_NOENTRY_PATH)}},
        {"entry point returns null", probePath, kProbeEntryNull, {"Unloaded " + probePath}},
        {"wrong magic",
         probePath,
         kProbeEntryBadMagic,
         {"Wrong Magic, probably not a VST plugin", "Unloaded " + probePath}},
        {"entry point throws",
         probePath,
         kProbeEntryThrow,
         {"Caught an exception in VSTPluginMain: the probe's entry point throws",
          "Unloaded " + probePath}},
    };
    for (const auto& c : cases)
    {
        std::unique_ptr<Probe> probe;
        if (c.module == probePath)
        {
            probe = std::make_unique<Probe>();
            (*probe)->setEntryMode(c.entryMode);
        }
        OplexaUnderTest oplexa(c.module);
        AEffect* effect = oplexa.start();
        EXPECT_EQ(effect, nullptr) << c.what;
        std::vector<std::string> lines = oplexa.messages();
        ASSERT_GE(lines.size(), 4u);
        EXPECT_EQ(lines[0], "Oplexa - " + oplexa.modulePath());
        EXPECT_EQ(lines[2], "Settings file " + oplexa.settingsFile());
        EXPECT_EQ(lines[3], "Log lines go to " + oplexa.folder().file("log.txt"));
        lines.erase(lines.begin(), lines.begin() + 4);
        if (!lines.empty() && lines[0].rfind("Failed to load " + missing, 0) == 0)
            lines[0] = "Failed to load " + missing; // dlerror's reason follows
        EXPECT_EQ(lines, c.lines) << c.what;
        // The chosen file's folder becomes lastDir even though loading failed, and lines carry
        // the chosen file's name.
        const std::string folder = c.module.substr(0, c.module.rfind('/'));
        EXPECT_NE(readFile(oplexa.settingsFile()).find("<LastDir>" + folder + "</LastDir>"),
                  std::string::npos)
            << c.what;
        const std::string name = c.module.substr(c.module.rfind('/') + 1);
        EXPECT_NE(oplexa.lines().back().find(") " + name + ":"), std::string::npos) << c.what;
        // The instance a wrong-magic entry point made is neither closed nor used again.
        if (probe)
        {
            EXPECT_EQ((*probe)->dispatchCount(effClose), 0) << c.what;
        }
        // After an exception the next call starts afresh.
        if (c.entryMode == kProbeEntryThrow)
        {
            (*probe)->setEntryMode(kProbeEntryNormal);
            AEffect* proxy = oplexa.start();
            ASSERT_NE(proxy, nullptr);
            EXPECT_EQ(oplexa.messages().at(6), "Oplexa - " + oplexa.modulePath());
            EXPECT_EQ(proxy->dispatcher(proxy, effClose, 0, 0, nullptr, 0.0f), 0);
            EXPECT_TRUE((*probe)->isClosed());
        }
    }
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
