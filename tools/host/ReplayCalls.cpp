#include "tools/host/ReplayCalls.h"

#include "tools/host/RecordedStructures.h"

#include "record/RecordFormat.h"
#include "record/RecordLayout.h"
#include "vst/OpCodeTable.h"
#include "vst/VstStructures.h"

#include <algorithm>
#include <cinttypes>
#include <cstring>
#include <vector>
#include <xmmintrin.h>

namespace host
{
namespace
{
using Bytes = std::vector<uint8_t>;

std::string quoted(const recordFormat::Bytes& bytes)
{
    return "\"" + std::string(bytes.begin(), bytes.end()) + "\"";
}

std::string number(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

int channelCount(int32_t count)
{
    return std::max(count, 0);
}

// What an output holds before the call: NaNs whose payload no arithmetic makes (it makes the
// default NaN or passes on one it was given), so a channel still holding it was not written.
constexpr uint32_t kUnwrittenFloat = 0x7FC5A5A5;
constexpr uint64_t kUnwrittenDouble = 0x7FF8A5A5A5A5A5A5;

void fillUnwritten(Bytes& channel, size_t sampleBytes)
{
    for (size_t at = 0; at + sampleBytes <= channel.size(); at += sampleBytes)
        if (sampleBytes == sizeof(float))
            std::memcpy(channel.data() + at, &kUnwrittenFloat, sizeof kUnwrittenFloat);
        else
            std::memcpy(channel.data() + at, &kUnwrittenDouble, sizeof kUnwrittenDouble);
}

bool unwritten(const uint8_t* channel, size_t channelBytes, size_t sampleBytes)
{
    const uint64_t pattern = sampleBytes == sizeof(float) ? kUnwrittenFloat : kUnwrittenDouble;
    for (size_t at = 0; at < channelBytes; at += sampleBytes)
        if (std::memcmp(channel + at, &pattern, sampleBytes) != 0)
            return false;
    return channelBytes > 0;
}

} // namespace

std::string ReplayCaller::make(const HostCall& call)
{
    _mm_setcsr(recordFormat::replayMxcsr(call.call->mxcsr));
    switch (call.call->function)
    {
    case fnDispatcher:
        return dispatch(call);
    case fnProcess:
    case fnProcessReplacing:
    case fnProcessDoubleReplacing:
        return process(call);
    default:
        return parameter(call);
    }
}

std::string ReplayCaller::dispatch(const HostCall& call)
{
    const recordFormat::Record& in = *call.call;
    const int32_t opcode = in.opcode;
    const VstOpCodeInfo* info = opCodeInfo(fnDispatcher, opcode);
    RecordedStructures structures;
    const CallArguments arguments = structures.callArguments(in);
    void* const ptr = arguments.ptr;
    const VstIntPtr result =
        effect->dispatcher(effect, opcode, in.index, arguments.value, ptr, in.opt);
    wasClosed = opcode == effClose;
    if (call.ret == nullptr)
        return {};
    const recordFormat::Record& out = *call.ret;
    // An address in the recording process differs by nature.
    if ((info == nullptr || !info->resultIsAddress) && result != out.result)
        return "expected result " + std::to_string(out.result) + ", got " + std::to_string(result);
    if (info != nullptr && info->ptrKind == ptrString && info->ptrIsReturned && ptr != nullptr &&
        !out.bytes.empty())
    {
        const auto* text = static_cast<const char*>(ptr);
        const recordFormat::Bytes got(reinterpret_cast<const uint8_t*>(text),
                                      strnlen(text, RecordedStructures::kScratchBytes - 1));
        if (got != out.bytes[0])
            return "expected " + quoted(out.bytes[0]) + ", got " + quoted(got);
    }
    const void* chunk = structures.storedChunk();
    if (opcode == effGetChunk && !out.bytes.empty() && chunk != nullptr && result > 0)
    {
        const auto* bytes = static_cast<const uint8_t*>(chunk);
        if (recordFormat::Bytes(bytes, static_cast<size_t>(result)) != out.bytes[0])
            return "expected the recorded chunk of " + std::to_string(out.bytes[0].size()) +
                   " bytes, got other bytes";
    }
    return {};
}

std::string ReplayCaller::process(const HostCall& call)
{
    const recordFormat::Record& in = *call.call;
    const bool isDouble = in.function == fnProcessDoubleReplacing;
    const size_t sampleBytes = isDouble ? sizeof(double) : sizeof(float);
    const auto frames = static_cast<int32_t>(in.frames());
    const int numInputs = in.inputs();
    const int numOutputs = in.outputs();
    const size_t channelBytes = frames > 0 ? static_cast<size_t>(frames) * sampleBytes : 0;
    constexpr size_t kInPlace = recordFormat::place(recordFormat::ProcessCallData::inPlace);
    const uint64_t inPlace = in.numbers.size() > kInPlace ? in.numbers[kInPlace] : 0;
    if (numInputs < 0 || numOutputs < 0 || in.bytes.size() < static_cast<size_t>(numInputs))
        return "the recorded call is incomplete";
    // The plug-in indexes as many channels as it has, whatever the recording gave it: the ones
    // past the recorded are silent. A null ends each list, for a plug-in that has none.
    const int wantedInputs = std::max(numInputs, channelCount(effect->numInputs));
    const int wantedOutputs = std::max(numOutputs, channelCount(effect->numOutputs));
    const auto blockSamples = static_cast<uint64_t>(wantedInputs + wantedOutputs) *
                              static_cast<uint64_t>(std::max(frames, 0));
    if (blockSamples > recordFormat::kMaxBlockSamples)
        return "the plug-in's " + std::to_string(wantedInputs) + " inputs and " +
               std::to_string(wantedOutputs) + " outputs at " + std::to_string(frames) +
               " frames are more samples than oplexa-host replays";
    std::vector<Bytes> channels;
    std::vector<void*> inputs;
    std::vector<void*> outputs;
    channels.reserve(static_cast<size_t>(wantedInputs + wantedOutputs));
    for (int c = 0; c < wantedInputs; ++c)
    {
        const recordFormat::Bytes recorded =
            c < numInputs ? in.bytes[static_cast<size_t>(c)] : recordFormat::Bytes();
        channels.emplace_back(recorded.begin(), recorded.end());
        channels.back().resize(channelBytes);
        inputs.push_back(channels.back().data());
    }
    for (int c = 0; c < wantedOutputs; ++c)
    {
        if (c < 64 && (inPlace >> c & 1) != 0 && c < numInputs && c < numOutputs)
        {
            outputs.push_back(inputs[static_cast<size_t>(c)]);
            continue;
        }
        const size_t recorded = static_cast<size_t>(numInputs + c);
        const recordFormat::Bytes given =
            in.function == fnProcess && c < numOutputs && recorded < in.bytes.size()
                ? in.bytes[recorded]
                : recordFormat::Bytes();
        channels.emplace_back(given.begin(), given.end());
        channels.back().resize(channelBytes);
        // process() adds to what it is given; the replacing calls get the pattern.
        if (in.function != fnProcess)
            fillUnwritten(channels.back(), sampleBytes);
        outputs.push_back(channels.back().data());
    }
    inputs.push_back(nullptr);
    outputs.push_back(nullptr);
    ++blocks;
    if (in.function == fnProcessDoubleReplacing && effect->processDoubleReplacing != nullptr)
        effect->processDoubleReplacing(effect, reinterpret_cast<double**>(inputs.data()),
                                       reinterpret_cast<double**>(outputs.data()), frames);
    else if (in.function == fnProcessReplacing && effect->processReplacing != nullptr)
        effect->processReplacing(effect, reinterpret_cast<float**>(inputs.data()),
                                 reinterpret_cast<float**>(outputs.data()), frames);
    else if (in.function == fnProcess && effect->process != nullptr)
        effect->process(effect, reinterpret_cast<float**>(inputs.data()),
                        reinterpret_cast<float**>(outputs.data()), frames);
    else
        return "the plug-in has no " + callName(in.function, 0);
    if (audio != nullptr)
        for (int c = 0; c < numOutputs; ++c)
            for (int32_t i = 0; i < frames; ++i)
            {
                void* channel = outputs[static_cast<size_t>(c)];
                const float sample = isDouble ? static_cast<float>(static_cast<double*>(channel)[i])
                                              : static_cast<float*>(channel)[i];
                wroteAudio = std::fwrite(&sample, sizeof sample, 1, audio) == 1 && wroteAudio;
            }
    std::vector<bool> compared(static_cast<size_t>(numOutputs), true);
    for (int c = 0; c < numOutputs; ++c)
    {
        const auto at = static_cast<size_t>(c);
        if (in.function != fnProcess && (c >= numInputs || outputs[at] != inputs[at]) &&
            unwritten(static_cast<const uint8_t*>(outputs[at]), channelBytes, sampleBytes))
        {
            compared[at] = false;
            ++unwrittenBlocks[c];
        }
    }
    return call.ret == nullptr
               ? std::string()
               : compareOutputs(call, outputs.data(), compared, channelBytes, sampleBytes);
}

std::string ReplayCaller::compareOutputs(const HostCall& call, void* const* outputs,
                                         const std::vector<bool>& compared, size_t channelBytes,
                                         size_t sampleBytes)
{
    const recordFormat::Record& out = *call.ret;
    const int numOutputs = call.call->opcode;
    const std::string where = "block " + std::to_string(blocks) + " channel ";
    const size_t recorded = fullOutputs ? out.bytes.size() : out.numbers.size();
    if (recorded != static_cast<size_t>(numOutputs))
        return "expected " + std::to_string(recorded) + " output channels, got " +
               std::to_string(numOutputs);
    for (size_t c = 0; c < recorded; ++c)
    {
        if (!compared[c])
            continue;
        const auto* got = static_cast<const uint8_t*>(outputs[c]);
        if (!fullOutputs)
        {
            const uint64_t hash = recordFormat::outputHash(got, channelBytes);
            if (hash != out.numbers[c])
            {
                char text[96];
                std::snprintf(text, sizeof text,
                              "expected output hash %016" PRIx64 ", got %016" PRIx64,
                              out.numbers[c], hash);
                return where + std::to_string(c) + ": " + text;
            }
            continue;
        }
        const recordFormat::Bytes& expected = out.bytes[c];
        for (size_t i = 0; i * sampleBytes < channelBytes; ++i)
        {
            const uint8_t* a = expected.data() + i * sampleBytes;
            const uint8_t* b = got + i * sampleBytes;
            if ((i + 1) * sampleBytes > expected.size() || std::memcmp(a, b, sampleBytes) == 0)
                continue;
            double want = 0;
            double have = 0;
            if (sampleBytes == sizeof(float))
            {
                float x = 0, y = 0;
                std::memcpy(&x, a, sizeof x);
                std::memcpy(&y, b, sizeof y);
                want = x;
                have = y;
            }
            else
            {
                std::memcpy(&want, a, sizeof want);
                std::memcpy(&have, b, sizeof have);
            }
            return where + std::to_string(c) + " sample " + std::to_string(i) + ": expected " +
                   number(want) + ", got " + number(have);
        }
    }
    return {};
}

std::string ReplayCaller::parameter(const HostCall& call)
{
    const recordFormat::Record& in = *call.call;
    if (in.function == fnSetParameter)
    {
        effect->setParameter(effect, in.index, in.opt);
        return {};
    }
    const float value = effect->getParameter(effect, in.index);
    if (call.ret == nullptr)
        return {};
    if (std::memcmp(&value, &call.ret->floatResult, sizeof value) != 0)
        return "expected " + number(static_cast<double>(call.ret->floatResult)) + ", got " +
               number(static_cast<double>(value));
    return {};
}
} // namespace host
