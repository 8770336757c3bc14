#include "tests/bench/BenchSession.h"
#include "tests/bench/CallBenchmarks.h"
#include "vst/VstStructures.h"

#include <benchmark/benchmark.h>

#include <string>

namespace
{
void processReplacing(benchmark::State& state, AEffect* effect)
{
    BenchAudio audio;
    for (auto _ : state)
    {
        effect->processReplacing(effect, audio.inputs, audio.outputs, BenchAudio::kFrames);
        benchmark::ClobberMemory();
    }
}

void getParameter(benchmark::State& state, AEffect* effect)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(effect->getParameter(effect, 0));
}

void dispatcher(benchmark::State& state, AEffect* effect)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(
            effect->dispatcher(effect, effGetVendorVersion, 0, 0, nullptr, 0.0f));
}

// A note on and a note off, the kind of list a host sends before each block.
void processEvents(benchmark::State& state, AEffect* effect)
{
    VstMidiEvent notes[2] = {{kVstEventMidi, 24, 0, 0, 0, 0, {0x90, 60, 100, 0}, 0, 0, {}},
                             {kVstEventMidi, 24, 32, 0, 0, 0, {0x80, 60, 0, 0}, 0, 0, {}}};
    VstEvents list{
        2, 0, {reinterpret_cast<VstEvent*>(&notes[0]), reinterpret_cast<VstEvent*>(&notes[1])}};
    for (auto _ : state)
        benchmark::DoNotOptimize(effect->dispatcher(effect, effProcessEvents, 0, 0, &list, 0.0f));
}

template <typename Function>
void registerPair(const std::string& call, Function function, const BenchSession& session)
{
    benchmark::RegisterBenchmark((call + "/direct").c_str(), function, session.direct());
    benchmark::RegisterBenchmark((call + "/oplexa").c_str(), function, session.throughOplexa());
    if (session.throughCompared() != nullptr)
        benchmark::RegisterBenchmark((call + "/compared").c_str(), function,
                                     session.throughCompared());
}
} // namespace

void registerForwardingBenchmarks(const BenchSession& session)
{
    registerPair("processReplacing", processReplacing, session);
    registerPair("getParameter", getParameter, session);
    registerPair("dispatcher:GetVendorVersion", dispatcher, session);
    registerPair("dispatcher:ProcessEvents", processEvents, session);
}
