#include "tests/bench/CallBenchmarks.h"

#include "logger/CallFormat.h"
#include "logger/LogSink.h"
#include "logger/OXLogger.h"
#include "vst/VstInterface.h"

#include <benchmark/benchmark.h>

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

// The write call alone: on a virtual machine it is most of a logged line's cost.
void writeLine(benchmark::State& state)
{
    static const char line[] = "(7F0123456789) Oplexa.so:effGetVendorVersion \n";
    for (auto _ : state)
        writeLogLine(line, sizeof line - 1);
}

void logDispatcher(benchmark::State& state)
{
    for (auto _ : state)
        oxLogger.logVstDispatcher(effGetVendorVersion, 0, 0, nullptr, 0.0f);
}
} // namespace

void registerLoggerBenchmarks()
{
    // Every switch on, parameters on; lines go to OPLEXA_LOG_FILE like the module's.
    oxLogger.init("Oplexa.so");
    benchmark::RegisterBenchmark("formatCallLine:GetVendorVersion", formatLine,
                                 static_cast<int>(effGetVendorVersion), nullptr);
    benchmark::RegisterBenchmark("formatCallLine:CanDo", formatLine, static_cast<int>(effCanDo),
                                 "receiveVstMidiEvent");
    benchmark::RegisterBenchmark("writeLogLine", writeLine);
    benchmark::RegisterBenchmark("logVstDispatcher:GetVendorVersion", logDispatcher);
}
