#include "tests/bench/CallBenchmarks.h"

#include "logger/CallFormat.h"
#include "logger/LogSink.h"
#include "logger/OXLogger.h"
#include "vst/VstInterface.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace
{
void formatLine(benchmark::State& state, int opcode, const char* text)
{
    for (auto _ : state)
    {
        LineBuffer line;
        formatCallLine(line, "eff", effOpCodes[opcode], 0, 0, const_cast<char*>(text), 0.0f, true);
        benchmark::DoNotOptimize(line.c_str());
        benchmark::ClobberMemory();
    }
}

constexpr char kLine[] = "(7F0123456789AB) oplexa-demo-gain.so:effGetVendorVersion \n";

// The write call alone: on a virtual machine it is most of a logged line's cost.
void writeLine(benchmark::State& state)
{
    for (auto _ : state)
        writeLogLine(kLine, sizeof kLine - 1);
}

// The floor no logger that writes each line with one call can beat: write(2) of a line, opened
// like the log sink opens its file. Truncated at each run so that the file stays small.
void writeFloor(benchmark::State& state, const std::string& path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
    {
        state.SkipWithError(("cannot open " + path).c_str());
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(::write(fd, kLine, sizeof kLine - 1));
    ::close(fd);
}

OXLogger benchLogger;

void logDispatcher(benchmark::State& state)
{
    for (auto _ : state)
        benchLogger.logVstDispatcher(effGetVendorVersion, 0, 0, nullptr, 0.0f);
}
} // namespace

void registerWriteFloorBenchmarks(const std::string& regularFile)
{
    benchmark::RegisterBenchmark("writeFloor:/dev/null", writeFloor, std::string("/dev/null"));
    benchmark::RegisterBenchmark("writeFloor:file", writeFloor, regularFile);
}

void registerLoggerBenchmarks()
{
    // Every switch on, parameters on; lines go through this process's own log queue to
    // OPLEXA_LOG_FILE like the module's.
    benchLogger.init("Oplexa.so");
    benchLogger.startOutput(juce::File());
    benchmark::RegisterBenchmark("formatCallLine:GetVendorVersion", formatLine,
                                 static_cast<int>(effGetVendorVersion), nullptr);
    benchmark::RegisterBenchmark("formatCallLine:CanDo", formatLine, static_cast<int>(effCanDo),
                                 "receiveVstMidiEvent");
    benchmark::RegisterBenchmark("writeLogLine", writeLine);
    benchmark::RegisterBenchmark("logVstDispatcher:GetVendorVersion", logDispatcher);
}
