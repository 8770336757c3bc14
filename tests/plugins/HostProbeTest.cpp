// oplexa-host against the probe, which sees every call the host makes: the host must be a
// faithful VST 2 host and must survive a plug-in's odd answers.
#include "tests/plugins/support/HostRun.h"

#include <gmock/gmock.h>

using namespace partners;
using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace
{
struct ProbeRun
{
    RunResult run;
    std::string report;                      // the host's --report
    std::map<std::string, std::string> seen; // the probe's own summary
};

ProbeRun runProbe(const TempDir& dir, std::vector<std::string> arguments, Environment environment,
                  const char* module = kProbePath)
{
    environment.emplace_back("OPLEXA_PROBE_REPORT", dir.file("probe"));
    arguments.insert(arguments.end(), {"--report", dir.file("report"), module});
    ProbeRun result;
    result.run = runHost(arguments, environment);
    result.report = readFile(dir.file("report"));
    result.seen = readKeyValues(dir.file("probe"));
    return result;
}

long long number(const std::map<std::string, std::string>& seen, const std::string& key)
{
    const auto found = seen.find(key);
    return found == seen.end() ? -1 : std::stoll(found->second);
}
} // namespace

TEST(HostOnProbe, HandsEveryFunctionItsRecordAndCallsNothingAfterClose)
{
    TempDir dir;
    const ProbeRun probe =
        runProbe(dir,
                 {"--sample-rate", "48000", "--block-size", "256", "--blocks", "5", "--params",
                  "--editor-without-display", "--threads", "3", "--thread-calls", "400"},
                 {});
    ASSERT_TRUE(exitedWith(probe.run, 0));
    const auto& seen = probe.seen;
    EXPECT_EQ(seen.at("entry"), "VSTPluginMain");
    EXPECT_EQ(number(seen, "calls.entry"), 1);
    for (const char* function : {"dispatcher", "processReplacing", "setParameter", "getParameter"})
        EXPECT_EQ(number(seen, std::string("foreign.") + function), 0) << function;
    EXPECT_EQ(number(seen, "closed"), 1);
    EXPECT_EQ(number(seen, "callsAfterClose"), 0);
    // Nothing at all reached the probe between its Close and its unloading.
    EXPECT_EQ(number(seen, "unloadSequence"), number(seen, "closeSequence") + 1);
    EXPECT_EQ(seen.at("unloadSequence"), seen.at("lastSequence"));
    EXPECT_EQ(number(seen, "opcode.0.count"), 1);
    EXPECT_EQ(number(seen, "opcode.1.count"), 1);
    EXPECT_EQ(number(seen, "opcode.12.count"), 2); // mains on and off
    EXPECT_THAT(seen.at("opcode.10.last"), StartsWith("index 0 value 0 opt 48000 "));
    EXPECT_THAT(seen.at("opcode.11.last"), StartsWith("index 0 value 256 opt 0 "));
    EXPECT_EQ(number(seen, "calls.process"), 0);
    EXPECT_GE(number(seen, "calls.processReplacing"), 10); // 5 blocks, then the threaded phase
    EXPECT_EQ(number(seen, "processReplacing.lastFrames"), 256);
    EXPECT_GE(number(seen, "opcode.49.count"), 3 * 400);
    EXPECT_GE(number(seen, "calls.getParameter"), 3 * 400);
    EXPECT_GE(number(seen, "calls.setParameter"), 3 * 400);
    // The chunk the probe handed out went back to it unchanged.
    EXPECT_THAT(seen.at("opcode.24.last"), StartsWith("index 0 value 20 "));
    EXPECT_THAT(probe.report, HasSubstr("setChunk: 1"));
    EXPECT_THAT(probe.report, HasSubstr("editor rect: result=1 top=0 left=0 bottom=200 right=300"));
    EXPECT_EQ(number(seen, "opcode.14.count"), 1);
    EXPECT_EQ(number(seen, "opcode.19.count"), 3);
    EXPECT_EQ(number(seen, "opcode.15.count"), 1);
}

TEST(HostOnProbe, OpensTheEditorOnlyWithADisplayUnlessForced)
{
    TempDir dir;
    const ProbeRun skipped = runProbe(dir, {"--blocks", "1", "--editor"}, {{"DISPLAY", ""}});
    ASSERT_TRUE(exitedWith(skipped.run, 0));
    EXPECT_THAT(skipped.report, HasSubstr("editor: skipped, no display"));
    EXPECT_EQ(skipped.seen.count("opcode.13.count"), 0u);
    EXPECT_EQ(skipped.seen.count("opcode.14.count"), 0u);

    const ProbeRun forced =
        runProbe(dir, {"--blocks", "1", "--editor-without-display"}, {{"DISPLAY", ""}});
    ASSERT_TRUE(exitedWith(forced.run, 0));
    EXPECT_THAT(forced.report, HasSubstr("editor open: 1"));
    EXPECT_EQ(number(forced.seen, "opcode.15.count"), 1);
}

TEST(HostOnProbe, AnswersTheAudioMasterQueriesOfEntryAndProcess)
{
    TempDir dir;
    const ProbeRun probe = runProbe(
        dir, {"--sample-rate", "96000", "--block-size", "64", "--blocks", "1"},
        {{"OPLEXA_PROBE_CALLS", "entry:1;entry:16;entry:17;entry:23;entry:32#64;entry:33#64;"
                                "entry:34;entry:37=sendVstTimeInfo;entry:37=receiveVstEvents;"
                                "process:23;process:7;12:0,3,0,0.25"}});
    ASSERT_TRUE(exitedWith(probe.run, 0));
    const auto& seen = probe.seen;
    EXPECT_EQ(seen.at("master.0"), "entry 1 result 2400 effect record text ");
    EXPECT_EQ(seen.at("master.1"), "entry 16 result 96000 effect record text ");
    EXPECT_EQ(seen.at("master.2"), "entry 17 result 64 effect record text ");
    EXPECT_EQ(seen.at("master.3"), "entry 23 result 1 effect record text ");
    EXPECT_EQ(seen.at("master.4"), "entry 32 result 1 effect record text Oplexa");
    EXPECT_EQ(seen.at("master.5"), "entry 33 result 1 effect record text oplexa-host");
    EXPECT_EQ(seen.at("master.6"), "entry 34 result 1100 effect record text ");
    EXPECT_EQ(seen.at("master.7"), "entry 37 result 1 effect record text ");
    EXPECT_EQ(seen.at("master.8"), "entry 37 result 0 effect record text ");
    // An automation call from inside MainsChanged reaches the host with its arguments.
    EXPECT_EQ(seen.at("master.9"), "dispatcher 0 result 0 effect record text ");
    // On the audio thread the process level is realtime, and the time info is there.
    EXPECT_EQ(seen.at("master.10"), "process 23 result 2 effect record text ");
    EXPECT_THAT(seen.at("master.11"), StartsWith("process 7 result "));
    EXPECT_NE(seen.at("master.11"), "process 7 result 0 effect record text ");
    EXPECT_EQ(seen.at("master.12"), "dispatcher 0 result 0 effect record text "); // mains off
    EXPECT_THAT(probe.run.err, HasSubstr("opcode=0 Automate, index=3, value=0, ptr=(nil), "
                                         "opt=0.25) -> 0"));
    EXPECT_THAT(probe.run.err, HasSubstr("opcode=37 CanDo, index=0, value=0, ptr="));
}

TEST(HostOnProbe, ProcessesThroughReplacingOrAccumulatingExactly)
{
    for (const char* flags : {"0x31", "0x21"})
    {
        TempDir dir;
        const ProbeRun probe =
            runProbe(dir,
                     {"--blocks", "4", "--block-size", "128", "--set-param", "1=0.5",
                      "--write-input", dir.file("in"), "--write-audio", dir.file("out")},
                     {{"OPLEXA_PROBE_FLAGS", flags}});
        ASSERT_TRUE(exitedWith(probe.run, 0)) << flags;
        const bool replacing = std::string(flags) == "0x31";
        EXPECT_EQ(number(probe.seen, "calls.processReplacing"), replacing ? 4 : 0) << flags;
        EXPECT_EQ(number(probe.seen, "calls.process"), replacing ? 0 : 4) << flags;
        // The probe's output is its input times parameter 0 (0.5), exactly.
        const std::vector<float> in = readFloats(dir.file("in"));
        const std::vector<float> out = readFloats(dir.file("out"));
        ASSERT_EQ(in.size(), 4u * 128u * 2u);
        ASSERT_EQ(out.size(), in.size());
        for (size_t i = 0; i < in.size(); ++i)
            ASSERT_EQ(out[i], in[i] * 0.5f) << flags << " sample " << i;
    }
}

TEST(HostOnProbe, FollowsARecordThatChangesAtOpen)
{
    TempDir dir;
    const ProbeRun probe =
        runProbe(dir, {"--blocks", "1"},
                 {{"OPLEXA_PROBE_OPEN_PROGRAMS", "5"}, {"OPLEXA_PROBE_OPEN_FLAGS", "0x11"}});
    ASSERT_TRUE(exitedWith(probe.run, 0));
    EXPECT_THAT(probe.report, HasSubstr("record at entry: magic=0x56737450 numPrograms=2 "
                                        "numParams=3 numInputs=2 numOutputs=2 flags=0x31"));
    EXPECT_THAT(probe.report, HasSubstr("record after open: magic=0x56737450 numPrograms=5 "
                                        "numParams=3 numInputs=2 numOutputs=2 flags=0x11"));
    EXPECT_THAT(probe.report, HasSubstr("program 4 indexed name: \"Probe Program 4\""));
    // Without the chunk flag after Open, no chunk is asked for.
    EXPECT_EQ(probe.seen.count("opcode.23.count"), 0u);
}

TEST(HostOnProbe, SurvivesOddAnswers)
{
    const std::string longName(5000, 'n');
    struct Case
    {
        const char* name;
        Environment environment;
        const char* reportLine; // expected in the host's report
        const char* problem;    // expected on standard error
    } cases[] = {
        {"null rectangle", {{"OPLEXA_PROBE_RECT", "null"}}, "editor rect: result=0 null", ""},
        {"negative chunk size",
         {{"OPLEXA_PROBE_RESULT_23", "-5"}},
         "chunk: unusable (size -5, data set)",
         "warning: GetChunk answered size -5"},
        {"negative inputs",
         {{"OPLEXA_PROBE_INPUTS", "-1"}},
         "record before close:",
         "the record has -1 inputs and 2 outputs; no audio processed"},
        {"huge outputs",
         {{"OPLEXA_PROBE_OUTPUTS", "100000"}},
         "record before close:",
         "no audio processed"},
        {"negative params",
         {{"OPLEXA_PROBE_PARAMS", "-3"}},
         "record before close:",
         "the record's numParams is -3; not walked"},
        {"too many programs",
         {{"OPLEXA_PROBE_PROGRAMS", "100000"}},
         "record before close:",
         "the record's numPrograms is 100000; not walked"},
        {"long effect name", {{"OPLEXA_PROBE_TEXT_45", longName}}, "", ""},
    };
    for (const Case& c : cases)
    {
        TempDir dir;
        const ProbeRun probe =
            runProbe(dir, {"--blocks", "2", "--editor-without-display"}, c.environment);
        ASSERT_TRUE(exitedWith(probe.run, 0)) << c.name;
        EXPECT_THAT(probe.report, HasSubstr(c.reportLine)) << c.name;
        EXPECT_THAT(probe.run.err, HasSubstr(c.problem)) << c.name;
        EXPECT_EQ(number(probe.seen, "closed"), 1) << c.name;
        EXPECT_EQ(number(probe.seen, "callsAfterClose"), 0) << c.name;
    }
    TempDir dir;
    const ProbeRun named = runProbe(dir, {"--blocks", "1"}, {{"OPLEXA_PROBE_TEXT_45", longName}});
    EXPECT_THAT(named.report, HasSubstr("effectName: \"" + longName + "\" (result 1)"));
    const ProbeRun silent = runProbe(dir, {"--blocks", "3"}, {{"OPLEXA_PROBE_INPUTS", "-1"}});
    EXPECT_EQ(number(silent.seen, "calls.processReplacing"), 0);
}

TEST(HostOnProbe, RunsCyclesOnOneLoadOrReloadsEachCycle)
{
    TempDir dir;
    const ProbeRun kept = runProbe(dir, {"--blocks", "2", "--cycles", "3"}, {});
    ASSERT_TRUE(exitedWith(kept.run, 0));
    EXPECT_EQ(number(kept.seen, "calls.entry"), 3);
    EXPECT_EQ(number(kept.seen, "opcode.0.count"), 3);
    EXPECT_EQ(number(kept.seen, "opcode.1.count"), 3);
    EXPECT_EQ(number(kept.seen, "calls.processReplacing"), 6);
    EXPECT_EQ(number(kept.seen, "callsAfterClose"), 0);
    EXPECT_EQ(kept.seen.at("written"), "unload");

    // A reloaded module starts from fresh state, so its summary covers the last cycle only.
    const ProbeRun reloaded =
        runProbe(dir, {"--blocks", "2", "--cycles", "3", "--unload-each-cycle"}, {});
    ASSERT_TRUE(exitedWith(reloaded.run, 0));
    EXPECT_EQ(number(reloaded.seen, "calls.entry"), 1);
    EXPECT_EQ(number(reloaded.seen, "opcode.1.count"), 1);
}
