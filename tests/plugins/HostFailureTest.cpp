// oplexa-host when loading goes wrong: each failure ends cleanly with its own exit code and a
// message, and a record that is no VST 2 record is never called.
#include "tests/plugins/support/HostRun.h"

#include <gmock/gmock.h>

#include <fstream>

using namespace partners;
using ::testing::HasSubstr;

TEST(HostFailures, RefusesNullRecordsAndWrongMagicWithoutCallingThem)
{
    struct Case
    {
        const char* mode;
        int exitCode;
        const char* message;
    } cases[] = {
        {"null", 4, "host: error: the entry point VSTPluginMain returned no record\n"},
        {"badmagic", 5, "host: error: the record has the wrong magic 0x0badf00d\n"},
    };
    for (const Case& c : cases)
    {
        TempDir dir;
        const RunResult run =
            runHost({"--report", dir.file("report"), kProbePath},
                    {{"OPLEXA_PROBE_MODE", c.mode}, {"OPLEXA_PROBE_REPORT", dir.file("probe")}});
        ASSERT_TRUE(exitedWith(run, c.exitCode)) << c.mode;
        EXPECT_THAT(run.err, HasSubstr(c.message)) << c.mode;
        const auto seen = readKeyValues(dir.file("probe"));
        EXPECT_EQ(seen.at("calls.entry"), "1") << c.mode;
        EXPECT_EQ(seen.at("calls.dispatcher"), "0") << c.mode;
        EXPECT_EQ(seen.at("calls.getParameter"), "0") << c.mode;
        EXPECT_EQ(seen.at("calls.processReplacing"), "0") << c.mode;
    }
}

TEST(HostFailures, ReportsModulesThatCannotBeLoadedOrHaveNoEntryPoint)
{
    TempDir dir;
    const RunResult noEntry = runHost({kProbeNoEntryPath});
    ASSERT_TRUE(exitedWith(noEntry, 3));
    EXPECT_THAT(noEntry.err, HasSubstr("has no entry point (VSTPluginMain, main or main_macho)"));

    const RunResult missing = runHost({dir.file("missing.so")});
    ASSERT_TRUE(exitedWith(missing, 2));
    EXPECT_THAT(missing.err, HasSubstr("cannot load " + dir.file("missing.so") + ": "));
    EXPECT_THAT(missing.err, HasSubstr("No such file"));

    std::ofstream(dir.file("text.so")) << "not a shared object\n";
    const RunResult notElf = runHost({dir.file("text.so")});
    ASSERT_TRUE(exitedWith(notElf, 2));
    EXPECT_THAT(notElf.err, HasSubstr("cannot load"));
}

TEST(HostFailures, RejectsBadCommandLines)
{
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"--blocks", "many", kDemoGainPath},
        {"--block-size", "0", kDemoGainPath},
        {"--sample-rate", "-44100", kDemoGainPath},
        {"--set-param", "gain", kDemoGainPath},
        {"--frobnicate", kDemoGainPath},
        {kDemoGainPath, kProbePath},
        {"--unload-each-cycle", "--no-unload", kDemoGainPath},
        {kDemoGainPath, "--report"},
    };
    for (const auto& arguments : bad)
    {
        const RunResult run = runHost(arguments);
        ASSERT_TRUE(exitedWith(run, 1)) << ::testing::PrintToString(arguments);
        EXPECT_THAT(run.err, HasSubstr("usage: oplexa-host"))
            << ::testing::PrintToString(arguments);
    }
}

TEST(HostFailures, LooksUpVstPluginMainThenMainThenMainMacho)
{
    const std::pair<const char*, const char*> modules[] = {
        {kProbePath, "VSTPluginMain"},           // VSTPluginMain and main_macho
        {kProbeAllEntriesPath, "VSTPluginMain"}, // all three
        {kProbeMainMachoPath, "main"},           // main and main_macho
        {kProbeMainOnlyPath, "main"},
    };
    for (const auto& [module, expected] : modules)
    {
        TempDir dir;
        const RunResult run =
            runHost({"--blocks", "1", module}, {{"OPLEXA_PROBE_REPORT", dir.file("probe")}});
        ASSERT_TRUE(exitedWith(run, 0)) << module;
        EXPECT_EQ(readKeyValues(dir.file("probe")).at("entry"), expected) << module;
        EXPECT_THAT(run.err, HasSubstr(std::string("host: calling entry point ") + expected))
            << module;
    }
}
