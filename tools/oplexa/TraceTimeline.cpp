#include "tools/oplexa/TraceTimeline.h"

#include "record/RecordFormat.h"
#include "tools/host/RecordPrint.h"
#include "vst/OpCodeInfo.h"

#include <algorithm>

namespace oplexa
{
using recordFormat::Record;

TraceTimeline::TraceTimeline(TraceJson& to, TraceWindow kept) : json(to), window(kept) {}

TraceTimeline::Track* TraceTimeline::trackOf(uint32_t number)
{
    if (lastTrack != nullptr && number == lastThread)
        return lastTrack;
    auto found = tracks.find(number);
    if (found == tracks.end())
    {
        if (tracks.size() >= kMaxTracks)
            return nullptr;
        found = tracks.emplace(number, Track{}).first;
    }
    lastThread = number;
    lastTrack = &found->second;
    return lastTrack;
}

// A thread's times only go forward, by a nanosecond at least: a callback's event then lies
// strictly inside its host call's, whatever the clock said (equal ticks, or a crafted file).
uint64_t TraceTimeline::advance(Track& track, uint64_t ns)
{
    if (track.timed && ns <= track.lastNs)
        ns = track.lastNs + 1;
    track.timed = true;
    track.lastNs = ns;
    endNs = std::max(endNs, ns);
    return ns;
}

void TraceTimeline::add(const Record& record)
{
    if (record.kind == recordFormat::kGap)
    {
        if (kept(endNs))
        {
            json.begin('i', "gap: " + std::to_string(record.dropped) + " records dropped",
                       TraceJson::kNoThread, endNs);
            json.scope('g');
            json.end();
        }
        return;
    }
    if (record.kind != recordFormat::kCall && record.kind != recordFormat::kReturn)
        return;
    if (!started)
        firstNs = record.timeNs;
    started = true;
    if (record.kind == recordFormat::kCall)
        ++calls;
    Track* track = trackOf(record.thread);
    if (track == nullptr)
    {
        ++leftOut;
        return;
    }
    track->role = record.role;
    thread = record.thread;
    currentNs = advance(*track, record.timeNs >= firstNs ? record.timeNs - firstNs : 0);
    if (record.kind == recordFormat::kCall)
        call(*track, record, currentNs);
    else
        ret(*track, record, currentNs);
}

void TraceTimeline::call(Track& track, const Record& record, uint64_t ns)
{
    PendingCall pending{ns,         calls,          record.value, 0, 0, record.index, record.opcode,
                        record.opt, record.function};
    if (record.function == fnAudioMaster)
        for (auto open = track.open.rbegin(); open != track.open.rend() && pending.inside == 0;
             ++open)
            if (open->function != fnAudioMaster)
                pending.inside = open->number;
    if (record.function == fnDispatcher && record.opcode == effSetSampleRate && record.opt > 0)
        sampleRate = record.opt;
    if (record.function == fnSetParameter && kept(ns))
    {
        json.begin('C', "parameter " + std::to_string(record.index), TraceJson::kNoThread, ns);
        json.arg("value", static_cast<double>(record.opt));
        json.end();
    }
    if (track.unheld > 0 || openCalls >= kMaxOpenCalls)
    {
        ++track.unheld;
        if (kept(ns))
        {
            complete(pending, ns, nullptr);
            json.argText("return", "not matched: more calls open than the trace holds");
            json.end();
        }
        return;
    }
    track.open.push_back(pending);
    ++openCalls;
    if (!recordFormat::isProcessFunction(record.function) || sampleRate <= 0 ||
        record.frames() <= 0)
        return;
    // A rate a crafted file makes tiny gives a budget past any time: none.
    const double budget = static_cast<double>(record.frames()) * 1e9 / sampleRate;
    track.open.back().budgetNs = budget < 1e18 ? static_cast<uint64_t>(budget) : 0;
}

void TraceTimeline::ret(Track& track, const Record& record, uint64_t ns)
{
    if (track.unheld > 0)
    {
        --track.unheld;
        return;
    }
    if (track.open.empty())
        return;
    const PendingCall pending = track.open.back();
    track.open.pop_back();
    --openCalls;
    if (!kept(pending.beginNs))
        return;
    const CallResult result{record.result, record.floatResult};
    complete(pending, ns, &result);
    json.end();
    const uint64_t took = ns - pending.beginNs;
    if (pending.budgetNs != 0 && took > pending.budgetNs)
    {
        json.begin('i', "over budget", thread, pending.beginNs);
        json.scope('t');
        json.arg("call", static_cast<int64_t>(pending.number));
        json.arg("percent",
                 100.0 * static_cast<double>(took) / static_cast<double>(pending.budgetNs));
        json.end();
    }
}

// The event's args are left open for the caller to add to and end.
void TraceTimeline::complete(const PendingCall& pending, uint64_t end, const CallResult* result)
{
    json.begin('X', names.of(pending.function, pending.opcode), thread, pending.beginNs);
    json.duration(end - pending.beginNs);
    json.category(pending.function == fnAudioMaster ? "audioMaster" : "host");
    writeCallArgs(json, pending, result);
}

void TraceTimeline::problem(uint64_t call, const char* rule)
{
    if (!started || !kept(currentNs))
        return;
    json.begin('i', std::string("problem: ") + rule, thread, currentNs);
    json.scope('t');
    json.arg("call", static_cast<int64_t>(call));
    json.argText("rule", rule);
    json.end();
}

void TraceTimeline::finish(const std::string& processName)
{
    const uint64_t end = endNs;
    for (auto& [number, track] : tracks)
    {
        thread = number;
        // Innermost first, each ending after the one inside it.
        while (!track.open.empty())
        {
            const PendingCall pending = track.open.back();
            track.open.pop_back();
            const uint64_t ns = advance(track, end);
            if (!kept(pending.beginNs))
                continue;
            complete(pending, ns, nullptr);
            json.argTrue("unfinished");
            json.end();
        }
    }
    json.begin('M', "process_name", TraceJson::kNoThread, 0);
    json.argText("name", processName);
    json.end();
    for (const auto& [number, track] : tracks)
    {
        char label[48];
        host::threadLabel(label, sizeof label, number, track.role);
        json.begin('M', "thread_name", number, 0);
        json.argText("name", label);
        json.end();
        json.begin('M', "thread_sort_index", number, 0);
        json.arg("sort_index", static_cast<int64_t>(number));
        json.end();
    }
}
} // namespace oplexa
