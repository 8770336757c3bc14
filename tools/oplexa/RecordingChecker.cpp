#include "tools/oplexa/RecordingChecker.h"

#include "record/RecordFormat.h"
#include "vst/OpCodeTable.h"
#include "vst/VstStructures.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <type_traits>
#include <utility>

namespace oplexa
{
namespace
{
// Recordings of version 4 on carry plug-in records and output counts; older readers know neither.
template <typename R, typename = void> struct HasPlugin : std::false_type
{
};
template <typename R>
struct HasPlugin<R, std::void_t<decltype(std::declval<const R&>().plugin.functions)>>
    : std::true_type
{
};
template <typename R, typename = void> struct HasCounts : std::false_type
{
};
template <typename R>
struct HasCounts<R, std::void_t<decltype(std::declval<const R&>().outputCounts)>> : std::true_type
{
};

constexpr uint8_t kPluginRecord = 4;
// Threads kept apart, and calls awaiting their returns on one, at most: a crafted file may name
// more.
constexpr size_t kMaxThreads = 4096;
constexpr size_t kMaxOpen = 256;

int32_t textLength(const recordFormat::Bytes& text)
{
    return static_cast<int32_t>(std::min<size_t>(text.size(), 255));
}

template <typename T> T at(const recordFormat::Bytes& bytes, size_t offset)
{
    T value{};
    if (bytes.size() >= offset + sizeof value)
        std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

rules::EventFacts eventFacts(const recordFormat::Record& record)
{
    rules::EventFacts facts;
    int32_t previous = INT32_MIN;
    for (size_t i = 0; i < record.bytes.size(); ++i)
    {
        const recordFormat::Bytes& event = record.bytes[i];
        if (event.size() < sizeof(VstEvent))
            continue;
        const auto delta = at<int32_t>(event, offsetof(VstEvent, deltaFrames));
        facts.minDelta = facts.count == 0 ? delta : std::min(facts.minDelta, delta);
        facts.maxDelta = facts.count == 0 ? delta : std::max(facts.maxDelta, delta);
        if (delta < previous && facts.firstUnsorted < 0)
            facts.firstUnsorted = facts.count;
        previous = delta;
        ++facts.count;
        if (at<int32_t>(event, offsetof(VstEvent, type)) == kVstEventSysEx)
            ++i; // its dump
    }
    return facts;
}

template <typename Sample> std::pair<uint32_t, uint32_t> count(const recordFormat::Bytes& channel)
{
    uint32_t nonFinite = 0;
    uint32_t denormal = 0;
    for (size_t offset = 0; offset + sizeof(Sample) <= channel.size(); offset += sizeof(Sample))
    {
        const auto sample = at<Sample>(channel, offset);
        nonFinite += !std::isfinite(sample);
        denormal += std::fpclassify(sample) == FP_SUBNORMAL;
    }
    return {nonFinite, denormal};
}
} // namespace

RecordingChecker::RecordingChecker(Marked onFiring)
    : marked(std::move(onFiring)), rules(fired, this)
{
}

void RecordingChecker::fired(void* context, rules::Rule rule, const rules::Tally& tally,
                             uint64_t call, bool first)
{
    const auto* self = static_cast<RecordingChecker*>(context);
    if (self->marked)
        self->marked(rule, tally, call, first);
}

void RecordingChecker::start(const recordFormat::Header& header)
{
    fullOutputs = header.fullOutputs;
    rules.ticksPerSecond(1e9); // the reader gives times in nanoseconds
}

RecordingChecker::Thread& RecordingChecker::thread(const recordFormat::Record& record)
{
    auto found = threads.find(record.thread);
    Thread& thread = found != threads.end()         ? found->second
                     : threads.size() < kMaxThreads ? threads[record.thread]
                                                    : overflow;
    thread.state.number = record.thread;
    thread.state.role = record.role;
    return thread;
}

void RecordingChecker::feed(const recordFormat::Record& record)
{
    if (record.kind == kPluginRecord)
        plugin(record);
    else if (record.kind == recordFormat::kCall)
        call(thread(record), record);
    else if (record.kind == recordFormat::kReturn)
        ret(thread(record), record);
    else if (record.kind == recordFormat::kGap)
        closeOpenCalls();
}

// Records were dropped here, returns among them perhaps: each call still open is taken as
// returned (untimed, with nothing), so that a lost return makes no thread seem to process on.
void RecordingChecker::closeOpenCalls()
{
    const auto close = [this](Thread& thread)
    {
        for (; !thread.open.empty(); thread.open.pop_back())
        {
            rules::CallFacts facts;
            facts.function = thread.open.back().function;
            facts.opcode = thread.open.back().opcode;
            facts.index = thread.open.back().index;
            if (facts.function == fnAudioMaster)
                rules.callbackReturn(thread.state, facts);
            else
                rules.hostReturn(thread.state, facts);
        }
    };
    for (auto& numbered : threads)
        close(numbered.second);
    close(overflow);
}

template <typename Record> void RecordingChecker::plugin([[maybe_unused]] const Record& record)
{
    if constexpr (HasPlugin<Record>::value)
    {
        rules::PluginFacts facts;
        facts.flags = record.plugin.flags;
        facts.numPrograms = record.plugin.numPrograms;
        facts.numParams = record.plugin.numParams;
        facts.numInputs = record.plugin.numInputs;
        facts.numOutputs = record.plugin.numOutputs;
        facts.initialDelay = record.plugin.initialDelay;
        facts.hasProcessReplacing = (record.plugin.functions >> fnProcessReplacing & 1) != 0;
        facts.hasProcessDoubleReplacing =
            (record.plugin.functions >> fnProcessDoubleReplacing & 1) != 0;
        if (started)
            rules.pluginChanged(facts);
        else
            rules.pluginStarted(facts);
        started = true;
    }
}

void RecordingChecker::call(Thread& thread, const recordFormat::Record& record)
{
    rules::CallFacts facts;
    facts.call = ++calls;
    facts.function = record.function;
    facts.opcode = record.opcode;
    facts.index = record.index;
    facts.value = record.value;
    facts.opt = record.opt;
    facts.floatResult = record.opt;
    facts.ptrNull = record.ptr == 0;
    facts.ticks = record.timeNs;
    const auto function = static_cast<VstFunctionIndex>(record.function);
    rules::EventFacts events;
    if (recordFormat::isProcessFunction(record.function))
        facts.frames = static_cast<int32_t>(record.frames());
    else if (const VstOpCodeInfo* info = opCodeInfo(function, record.opcode))
    {
        if (info->ptrKind == ptrString && !info->ptrIsReturned && !record.bytes.empty())
            facts.textLength = textLength(record.bytes[0]);
        if (info->carriedIn == Carried::events && !facts.ptrNull)
        {
            events = eventFacts(record);
            facts.events = &events;
        }
    }
    if (thread.open.size() < kMaxOpen)
        thread.open.push_back(
            {facts.call, record.function, record.opcode, record.index, facts.ptrNull});
    if (function == fnAudioMaster)
        rules.callback(thread.state, facts);
    else
        rules.hostCall(thread.state, facts);
}

void RecordingChecker::ret(Thread& thread, const recordFormat::Record& record)
{
    if (thread.open.empty())
        return; // the recording began inside this call
    const OpenCall open = thread.open.back();
    thread.open.pop_back();
    rules::CallFacts facts;
    facts.call = open.number;
    facts.function = open.function;
    facts.opcode = open.opcode;
    facts.index = open.index;
    facts.result = record.result;
    facts.floatResult = record.floatResult;
    facts.ticks = record.timeNs;
    const auto function = static_cast<VstFunctionIndex>(open.function);
    if (const VstOpCodeInfo* info = opCodeInfo(function, open.opcode))
    {
        if (info->ptrKind == ptrString && info->ptrIsReturned && !record.bytes.empty())
            facts.textLength = textLength(record.bytes[0]);
        // Its chunk is kept whenever the plug-in stored one of a size the recorder takes.
        facts.chunkNull = info->carriedOut == Carried::chunkOut && !open.ptrNull &&
                          record.result > 0 && record.result < (int64_t{1} << 30) &&
                          record.bytes.empty();
    }
    if (function == fnAudioMaster)
        rules.callbackReturn(thread.state, facts);
    else
        rules.hostReturn(thread.state, facts);
    if (recordFormat::isProcessFunction(open.function))
        outputs(thread, open.number, record);
}

void RecordingChecker::outputs(const Thread& thread, uint64_t call,
                               const recordFormat::Record& record)
{
    if (countedOutputs(thread, call, record) || !fullOutputs)
        return;
    const bool doubles = record.function == fnProcessDoubleReplacing;
    for (size_t channel = 0; channel < record.bytes.size(); ++channel)
    {
        const auto [nonFinite, denormal] =
            doubles ? count<double>(record.bytes[channel]) : count<float>(record.bytes[channel]);
        if (nonFinite > 0 || denormal > 0)
            rules.outputCounts(thread.state, call, static_cast<int32_t>(channel), nonFinite,
                               denormal);
    }
}

// The counts the reader gives, where the recording carries them.
template <typename Record>
bool RecordingChecker::countedOutputs([[maybe_unused]] const Thread& thread,
                                      [[maybe_unused]] uint64_t call,
                                      [[maybe_unused]] const Record& record)
{
    if constexpr (HasCounts<Record>::value)
    {
        if (record.outputCounts.empty())
            return false;
        for (size_t channel = 0; channel < record.outputCounts.size(); ++channel)
        {
            const auto& counts = record.outputCounts[channel];
            if (counts.nonFinite > 0 || counts.denormal > 0)
                rules.outputCounts(thread.state, call, static_cast<int32_t>(channel),
                                   counts.nonFinite, counts.denormal);
        }
        return true;
    }
    return false;
}
} // namespace oplexa
