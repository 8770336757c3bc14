#include "tools/host/ReplayScript.h"

#include "record/RecordFormat.h"
#include "vst/OpCodeTable.h"

namespace host
{
namespace
{
// The plug-in's own threads' callbacks kept unused, the oldest dropped first.
constexpr size_t kForeignKept = 4096;
// Threads counted, to name how many there are past the most replayed.
constexpr size_t kThreadsCounted = 65536;
// A held record's allocation, its call's or callback's entry and its thread's frame.
constexpr size_t kArranged = 128;

size_t memoryOf(const HeldRecord& record)
{
    return record != nullptr ? recordFormat::memoryOf(*record) + kArranged : 0;
}

size_t memoryOf(const Callback& callback)
{
    return memoryOf(callback.call) + memoryOf(callback.ret);
}
} // namespace

std::string callName(int function, int32_t opcode)
{
    if (function == fnDispatcher)
        return opcode >= 0 && opcode < kNumDispatcherOpCodes
                   ? std::string("eff") + effOpCodes[opcode].name
                   : "dispatcher opcode " + std::to_string(opcode);
    if (function == fnAudioMaster)
        return opcode >= 0 && opcode < kNumAudioMasterOpCodes
                   ? std::string("audioMaster") + audioMasterOpCodes[opcode].name
                   : "audioMaster opcode " + std::to_string(opcode);
    return function >= 0 && function < kNumVstFunctions ? vstFunctionNames[function] : "?";
}

void ReplayScript::survey(recordFormat::RecordStream& stream, Survey& found)
{
    bool first = true;
    recordFormat::Record record;
    for (; stream.next(record); found.records += record.kind != recordFormat::kPlugin)
    {
        found.hasGap = found.hasGap || record.kind == recordFormat::kGap;
        if (record.kind != recordFormat::kCall)
            continue;
        if (first)
            found.entryThread = record.thread;
        first = false;
        if (record.function != fnAudioMaster && found.hostThreads.size() < kThreadsCounted)
            found.hostThreads.insert(record.thread);
    }
}

void ReplayScript::trim(CallbackQueue& queue, size_t keep)
{
    while (!queue.items.empty() && (queue.items.size() > keep || queue.items.front().used))
    {
        held -= memoryOf(queue.items.front());
        queue.items.pop_front();
        ++queue.first;
    }
}

void ReplayScript::loaded()
{
    keepLoose = false;
    for (auto& [thread, queue] : loose)
        trim(queue, 0);
}

void ReplayScript::release(size_t index)
{
    for (; firstCall < index && !calls.empty(); ++firstCall)
    {
        const HostCall& call = calls.front();
        held -= memoryOf(call.call) + memoryOf(call.ret);
        for (const Callback& callback : call.callbacks)
            held -= memoryOf(callback);
        calls.pop_front();
    }
}

bool ReplayScript::readTo(size_t index)
{
    recordFormat::Record record;
    while (!ended && (index >= firstCall + calls.size() || at(index).ret == nullptr))
    {
        if (held > kWindowBytes)
            return false;
        ended = !stream.next(record);
        if (!ended)
            add(std::move(record));
    }
    return true;
}

void ReplayScript::add(recordFormat::Record&& record)
{
    std::vector<Frame>& stack = stacks[record.thread];
    const size_t size = recordFormat::memoryOf(record) + kArranged;
    if (record.kind == recordFormat::kReturn)
    {
        if (stack.empty())
            return;
        const Frame top = stack.back();
        stack.pop_back();
        if (stack.empty()) // a file may name any number of threads
            stacks.erase(record.thread);
        HeldRecord* ret = nullptr;
        if (top.host != nullptr)
            ret = &top.host->ret;
        else if (top.owner != nullptr)
            ret = &top.owner->callbacks[top.place].ret;
        else if (top.queue != nullptr && top.place >= top.queue->first)
            ret = &top.queue->items[top.place - top.queue->first].ret;
        if (ret != nullptr)
        {
            *ret = std::make_unique<const recordFormat::Record>(std::move(record));
            held += size;
        }
        return;
    }
    if (record.kind != recordFormat::kCall)
        return;
    ++ordinal;
    if (record.function != fnAudioMaster)
    {
        if (record.function == fnDispatcher && recordFormat::isEditorOpcode(record.opcode))
        {
            skippedEditorCalls.push_back(callName(record.function, record.opcode) + " (call " +
                                         std::to_string(ordinal) + ")");
            stack.push_back({});
            return;
        }
        calls.push_back({ordinal,
                         std::make_unique<const recordFormat::Record>(std::move(record)),
                         nullptr,
                         {}});
        held += size;
        stack.push_back({&calls.back(), nullptr, nullptr, 0});
        return;
    }
    HostCall* inside = nullptr;
    for (auto frame = stack.rbegin(); frame != stack.rend() && inside == nullptr; ++frame)
        inside = frame->host != nullptr ? frame->host : frame->owner;
    auto callback = std::make_unique<const recordFormat::Record>(std::move(record));
    if (inside != nullptr)
    {
        inside->callbacks.push_back({std::move(callback), nullptr, false});
        stack.push_back({nullptr, inside, nullptr, inside->callbacks.size() - 1});
    }
    else
    {
        const bool hostThread = surveyed.hostThreads.count(callback->thread) != 0;
        if (hostThread && !keepLoose)
        {
            stack.push_back({});
            return;
        }
        CallbackQueue& queue = hostThread ? loose[callback->thread] : foreign;
        queue.items.push_back({std::move(callback), nullptr, false});
        stack.push_back({nullptr, nullptr, &queue, queue.first + queue.items.size() - 1});
        held += size;
        if (&queue == &foreign)
            trim(foreign, kForeignKept);
        return;
    }
    held += size;
}
} // namespace host
