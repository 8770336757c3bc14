// oplexa_bench: the cost of Oplexa's forwarding and logging, against the same calls made
// directly on the plug-in, all measured in this one process.
//
//   oplexa_bench [--logging=off|on] [--decode] [--writes=direct] [--check-logging]
//                [--check-rules] [--compare=MODULE] [Google Benchmark flags]
//   oplexa_bench --throughput
//
// off: every switch off in the settings file, so each forwarded call only counts and tests
// its switch. on: every switch and the parameter details on, lines to /dev/null; this mode
// also measures the logger's own steps. --decode (with logging on) decodes the structures too.
// Lines go through the log queue to the writer thread unless --writes=direct sets logWrites.
// --compare=MODULE also hosts the demo through another build of Oplexa.so (an older commit's),
// so that both builds are measured in one run.
// --check-rules: Oplexa.so checks the protocol rules (checkRules="1"), the compared module not;
// compared with the same build, that is the cost of checking on the calling thread.
// --throughput measures how many lines a second the writer thread keeps up with instead.
// Before measuring, one call of each kind is checked in the log: always when stopped (nothing to
// write), and with logging on only under
// --check-logging, which writes the lines to a file instead of /dev/null.
// The module takes its logging state at start-up and hosts one plug-in per process, so the
// two modes are two runs (tests/bench/run-bench.sh runs both).
#include "tests/bench/BenchSession.h"
#include "tests/bench/CallBenchmarks.h"
#include "tests/bench/SummaryReporter.h"
#include "tests/bench/WriterThroughput.h"

#include <benchmark/benchmark.h>

#include <exception>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace
{
struct BenchOptions
{
    bool loggingOn = false;
    bool checkLogging = false;
    bool decode = false;
    bool directWrites = false;
    bool throughput = false;
    bool checkRules = false;
    std::string comparedModule;
};

// Takes this program's own flags out of argv, leaving Google Benchmark's.
bool takeOptions(int& argc, char** argv, BenchOptions& options)
{
    int kept = 1;
    for (int i = 1; i < argc; ++i)
    {
        const std::string arg = argv[i];
        if (arg == "--logging=on" || arg == "--logging=off")
            options.loggingOn = arg == "--logging=on";
        else if (arg.rfind("--logging=", 0) == 0)
            return false;
        else if (arg == "--check-logging")
            options.checkLogging = true;
        else if (arg == "--decode")
            options.decode = true;
        else if (arg == "--writes=direct")
            options.directWrites = true;
        else if (arg == "--throughput")
            options.throughput = true;
        else if (arg == "--check-rules")
            options.checkRules = true;
        else if (arg.rfind("--compare=", 0) == 0)
            options.comparedModule = arg.substr(10);
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    argv[argc] = nullptr;
    return true;
}

// The write floor every logged figure is also set against (one write(2) of a line).
const std::string kFloor = "writeFloor:/dev/null";

std::vector<SummaryRow> summaryRows(bool loggingOn, bool decode, bool directWrites, bool compared,
                                    bool checkRules)
{
    const std::string logging = std::string(!loggingOn ? "stopped"
                                            : decode   ? "on, decoded"
                                                       : "on") +
                                (loggingOn ? directWrites ? ", direct" : ", queued" : "") +
                                (checkRules ? ", rules checked" : "");
    // With logging on, dispatcher and getParameter write a call and a return line.
    const int lines = loggingOn ? 2 : 0;
    // Rows with no direct counterpart are set against a direct dispatcher call for scale.
    const std::string direct = "dispatcher:GetVendorVersion/direct";
    std::vector<SummaryRow> rows = {
        {"processReplacing, 64 frames stereo", logging, "processReplacing/direct",
         "processReplacing/oplexa", loggingOn ? 1 : 0, true},
        {"getParameter", logging, "getParameter/direct", "getParameter/oplexa", lines, true},
        {"dispatcher effGetVendorVersion", logging, "dispatcher:GetVendorVersion/direct",
         "dispatcher:GetVendorVersion/oplexa", lines, true},
        {"dispatcher effProcessEvents, 2 notes", logging, "dispatcher:ProcessEvents/direct",
         "dispatcher:ProcessEvents/oplexa", decode ? lines + 3 : lines,
         true}, // count and two events
    };
    // The same calls through the compared module.
    const size_t forwardedRows = rows.size();
    for (size_t i = 0; compared && i < forwardedRows; ++i)
    {
        SummaryRow row = rows[i];
        row.call += " (compared module)";
        row.logging = logging.substr(0, logging.rfind(", rules checked"));
        row.measured.replace(row.measured.rfind('/'), std::string::npos, "/compared");
        rows.push_back(row);
    }
    if (loggingOn && !decode && !directWrites)
    {
        rows.push_back({"formatCallLine effGetVendorVersion (no call made)", "-", direct,
                        "formatCallLine:GetVendorVersion"});
        rows.push_back({"formatCallLine effCanDo with text (no call made)", "-", direct,
                        "formatCallLine:CanDo"});
        rows.push_back({"writeLogLine, one finished line (the write call alone)", "on", direct,
                        "writeLogLine", 1});
        rows.push_back({"OXLogger::logVstDispatcher, line to the log queue (no call made)", "on",
                        direct, "logVstDispatcher:GetVendorVersion", 1});
    }
    rows.push_back({"recording a processReplacing, 64 frames stereo (vs copying its inputs)", "-",
                    "recording:copyInputs64", "recording:processReplacing64"});
    rows.push_back({"its buffers handed to another thread, nothing else (vs copying its inputs)",
                    "-", "recording:copyInputs64", "recording:handOverBuffers64"});
    rows.push_back({"recording it (vs copying its inputs to memory another thread reads)", "-",
                    "recording:handOverInputs64", "recording:processReplacing64"});
    rows.push_back({"write(2) of one line to /dev/null (the floor)", "-", direct, kFloor, 1});
    rows.push_back({"write(2) of one line to a regular file", "-", direct, "writeFloor:file", 1});
    return rows;
}

int run(int argc, char** argv)
{
    BenchOptions options;
    if (!takeOptions(argc, argv, options))
    {
        std::cerr << "usage: oplexa_bench [--logging=off|on] [--decode] [--writes=direct] "
                     "[--check-logging] [--check-rules] [--compare=MODULE] [benchmark flags] | "
                     "--throughput\n";
        return 2;
    }
    if (options.throughput)
        return runWriterThroughput(std::cout) ? 0 : 1;
    // A file in the session's folder when stopped or checked; lines written during the
    // measurement would only grow it.
    const std::string logFile =
        options.loggingOn && !options.checkLogging ? std::string("/dev/null") : std::string();

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 2;

    const auto session = std::make_unique<BenchSession>(options.loggingOn, logFile, options.decode,
                                                        options.directWrites,
                                                        options.comparedModule, options.checkRules);
    const std::string problem = session->checkLogging();
    if (!problem.empty())
    {
        std::cerr << "oplexa_bench: " << problem << "\n";
        return 1;
    }
    std::cout << "Oplexa.so hosting the demo gain, logging "
              << (options.loggingOn ? "on" : "stopped (every switch off)")
              << (options.decode ? ", structures decoded" : "")
              << (options.directWrites ? ", written directly" : ", through the log queue")
              << (options.checkRules ? ", protocol rules checked" : "") << ", log to "
              << session->logFile() << std::endl;

    registerForwardingBenchmarks(*session);
    // The floor in every run, so that their tables line up.
    registerWriteFloorBenchmarks(session->scratchFolder() + "/floor.txt");
    registerRecordingBenchmarks();
    if (options.loggingOn && !options.decode && !options.directWrites)
        registerLoggerBenchmarks();

    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::cout << "\nCPU time per call on the calling thread; ratio = measured / direct; x write = "
                 "measured / one write(2) of a line to /dev/null in this run; added x write = "
                 "(measured - direct) / the same\n";
    reporter.printTable(std::cout,
                        summaryRows(options.loggingOn, options.decode, options.directWrites,
                                    !options.comparedModule.empty(), options.checkRules),
                        kFloor);
    printRecordingFileSize(std::cout);
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    try
    {
        return run(argc, argv);
    }
    catch (const std::exception& error)
    {
        std::cerr << "oplexa_bench: " << error.what() << "\n";
        return 1;
    }
}
