// oplexa-host against the demo gain plug-in: what it reports, what it processes, and that a
// run repeats exactly.
#include "tests/plugins/support/HostRun.h"

#include <gmock/gmock.h>

#include <cmath>

using namespace partners;
using ::testing::HasSubstr;
using ::testing::Not;

TEST(HostOnDemoGain, ReportsRecordNamesProgramsAndParameter)
{
    TempDir dir;
    const RunResult run = runHost({"--blocks", "2", "--report", dir.file("report"), kDemoGainPath});
    ASSERT_TRUE(exitedWith(run, 0));
    const std::string report = readFile(dir.file("report"));
    EXPECT_THAT(report, HasSubstr("record after open: magic=0x56737450 numPrograms=3 numParams=1 "
                                  "numInputs=2 numOutputs=2 flags=0x10"));
    EXPECT_THAT(report, HasSubstr("uniqueID=0x4f78476e 'OxGn' version=1100"));
    EXPECT_THAT(report, HasSubstr("effectName: \"Oplexa Demo Gain\" (result 1)"));
    EXPECT_THAT(report, HasSubstr("vendor: \"Oplexa\" (result 1)"));
    EXPECT_THAT(report, HasSubstr("product: \"Oplexa Demo Gain\" (result 1)"));
    EXPECT_THAT(report, HasSubstr("program 1 indexed name: \"Quiet\" (result 1)"));
    EXPECT_THAT(report, HasSubstr("program 2 selected: getProgram=2 name=\"Boost\""));
    EXPECT_THAT(report, HasSubstr("param 0: name=\"Gain\" label=\"dB\" display=\"0.0\" "
                                  "value=0.800000012 automatable=1"));
}

TEST(HostOnDemoGain, ProcessesTheTestSignalThroughTheSelectedGain)
{
    TempDir dir;
    // Program "Quiet" is -12 dB; the parameter set afterwards makes it -18 dB.
    const RunResult run =
        runHost({"--blocks", "6", "--block-size", "100", "--program", "1", "--set-param", "0=0.5",
                 "--write-input", dir.file("in"), "--write-audio", dir.file("out"), "--report",
                 dir.file("report"), kDemoGainPath});
    ASSERT_TRUE(exitedWith(run, 0));
    const std::string report = readFile(dir.file("report"));
    EXPECT_THAT(report, HasSubstr("selected program 1: getProgram=1"));
    EXPECT_THAT(report, HasSubstr("set param 0 0.5: value=0.5 display=\"-18.0\""));

    const std::vector<float> in = readFloats(dir.file("in"));
    const std::vector<float> out = readFloats(dir.file("out"));
    ASSERT_EQ(in.size(), 6u * 100u * 2u);
    ASSERT_EQ(out.size(), in.size());
    const double gain = std::pow(10.0, -18.0 / 20.0);
    double inputEnergy = 0.0;
    for (size_t i = 0; i < in.size(); ++i)
    {
        inputEnergy += static_cast<double>(in[i]) * in[i];
        ASSERT_NEAR(out[i], in[i] * gain, 1e-6) << "sample " << i;
    }
    EXPECT_GT(inputEnergy / static_cast<double>(in.size()), 0.05);
    // The two channels carry different signals, so a mixed-up channel would show.
    EXPECT_NE(in[1], in[100 + 1]);
}

TEST(HostOnDemoGain, RepeatsExactlyAcrossRunsAndCycles)
{
    TempDir dir;
    auto session = [&](const std::string& name, std::vector<std::string> extra)
    {
        std::vector<std::string> args{"--blocks",
                                      "8",
                                      "--params",
                                      "--report",
                                      dir.file(name + ".txt"),
                                      "--write-audio",
                                      dir.file(name + ".raw")};
        args.insert(args.end(), extra.begin(), extra.end());
        args.push_back(kDemoGainPath);
        return runHost(args);
    };
    ASSERT_TRUE(exitedWith(session("first", {}), 0));
    ASSERT_TRUE(exitedWith(session("second", {}), 0));
    ASSERT_TRUE(exitedWith(session("cycles", {"--cycles", "3"}), 0));
    ASSERT_TRUE(exitedWith(session("reloads", {"--cycles", "3", "--unload-each-cycle"}), 0));

    const std::string report = readFile(dir.file("first.txt"));
    const std::string audio = readFile(dir.file("first.raw"));
    ASSERT_EQ(audio.size(), 8u * 512u * 2u * sizeof(float));
    EXPECT_EQ(readFile(dir.file("second.txt")), report);
    EXPECT_EQ(readFile(dir.file("second.raw")), audio);

    // Every cycle is a new instance and repeats the first one.
    const std::string body = report.substr(report.find('\n') + 1);
    for (const char* name : {"cycles", "reloads"})
    {
        const std::string cycles = readFile(dir.file(std::string(name) + ".txt"));
        EXPECT_EQ(cycles, "cycle 1\n" + body + "cycle 2\n" + body + "cycle 3\n" + body) << name;
        EXPECT_EQ(readFile(dir.file(std::string(name) + ".raw")), audio + audio + audio) << name;
    }
}

TEST(HostOnDemoGain, KeepsItsLogOffStandardOutput)
{
    TempDir dir;
    const RunResult toStderr = runHost({"--blocks", "1", kDemoGainPath});
    ASSERT_TRUE(exitedWith(toStderr, 0));
    EXPECT_EQ(toStderr.out, "");
    // The demo asks for the host's version inside its entry point, before it has a record.
    EXPECT_THAT(toStderr.err, HasSubstr("host: audioMaster(effect=(nil) null, opcode=1 Version, "
                                        "index=0, value=0, ptr=(nil), opt=0) -> 2400\n"));
    EXPECT_THAT(toStderr.err, HasSubstr("host: dispatcher(opcode=1 Close,"));

    const RunResult toFile = runHost({"--blocks", "1", "--log", dir.file("log"), kDemoGainPath});
    ASSERT_TRUE(exitedWith(toFile, 0));
    EXPECT_EQ(toFile.out, "");
    EXPECT_THAT(toFile.err, Not(HasSubstr("host: ")));
    EXPECT_THAT(readFile(dir.file("log")), HasSubstr("opcode=1 Version"));

    const RunResult quiet = runHost({"--blocks", "1", "--quiet", kDemoGainPath});
    ASSERT_TRUE(exitedWith(quiet, 0));
    EXPECT_EQ(quiet.err, "");
}
