#include "tools/oplexa/StatsTimer.h"

#include "record/RecordFormat.h"
#include "vst/OpCodeTable.h"

#include <cmath>

namespace oplexa
{
StatsTimer::Thread* StatsTimer::threadOf(uint32_t number)
{
    const auto known = threads.find(number);
    if (known != threads.end())
        return &known->second;
    if (threads.size() >= kMaxThreads)
        return nullptr;
    return &threads[number];
}

void StatsTimer::add(const recordFormat::Record& record)
{
    if (record.number == 1)
        firstNs = record.timeNs;
    if (record.kind == recordFormat::kCall)
        call(record);
    else if (record.kind == recordFormat::kReturn)
        ret(record);
    else if (record.kind == recordFormat::kGap)
        gap(record);
}

void StatsTimer::call(const recordFormat::Record& record)
{
    ++callCount;
    if (record.function == fnDispatcher && record.opcode == effSetSampleRate &&
        std::isfinite(record.opt) && record.opt > 0)
        sampleRate = record.opt;
    Thread* thread = threadOf(record.thread);
    if (thread == nullptr || thread->open.size() >= kMaxDepth)
    {
        ++untimedCount;
        if (thread != nullptr)
            ++thread->deeper;
        return;
    }
    thread->role = record.role;
    const bool process = recordFormat::isProcessFunction(record.function);
    thread->open.push_back({callCount, record.timeNs >= firstNs ? record.timeNs - firstNs : 0,
                            process ? record.frames() : 0, sampleRate, process ? 0 : record.opcode,
                            record.function});
}

void StatsTimer::ret(const recordFormat::Record& record)
{
    const auto known = threads.find(record.thread);
    if (known == threads.end())
        return;
    Thread& thread = known->second;
    thread.role = record.role;
    if (thread.deeper > 0)
    {
        --thread.deeper;
        return;
    }
    // A return that ends no open call (after a gap) is left out.
    if (thread.open.empty() || thread.open.back().function != record.function)
        return;
    const Open call = thread.open.back();
    thread.open.pop_back();
    const uint64_t endNs = record.timeNs >= firstNs ? record.timeNs - firstNs : 0;
    TimedCall timed;
    timed.call = call.call;
    timed.beginNs = call.beginNs;
    timed.ns = endNs >= call.beginNs ? endNs - call.beginNs : 0;
    timed.frames = call.frames;
    timed.sampleRate = call.sampleRate;
    timed.thread = record.thread;
    timed.opcode = call.opcode;
    timed.function = call.function;
    sink(timed);
}

// Records were lost: which return ends which open call is no longer known.
void StatsTimer::gap(const recordFormat::Record& record)
{
    droppedCount += record.dropped;
    for (auto& [number, thread] : threads)
    {
        untimedCount += thread.open.size();
        thread.open.clear();
        thread.deeper = 0;
    }
}

uint8_t StatsTimer::roleOf(uint32_t thread) const
{
    const auto known = threads.find(thread);
    return known == threads.end() ? uint8_t{recordFormat::kRoleOther} : known->second.role;
}

uint64_t StatsTimer::unfinished() const
{
    uint64_t open = 0;
    for (const auto& [number, thread] : threads)
        open += thread.open.size();
    return open;
}
} // namespace oplexa
