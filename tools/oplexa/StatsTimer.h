// Times the calls of a recording as it streams: each return is matched with the call it ends on
// the same thread, and the call's time inside the plug-in is from its call record's begin to its
// return record's end (so a host call's time holds the audioMaster calls the plug-in made inside
// it). Memory stays bounded whatever the file: calls nested deeper than kMaxDepth, or made on
// threads past the first kMaxThreads, are counted as untimed instead.
#pragma once

#include "record/RecordReader.h"

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

namespace oplexa
{
struct TimedCall
{
    uint64_t call = 0;     // the number `oplexa print` gives the call
    uint64_t beginNs = 0;  // since the recording's first record
    uint64_t ns = 0;       // inside the plug-in
    int64_t frames = 0;    // of a process call
    double sampleRate = 0; // the last effSetSampleRate before the call; 0 before any
    uint32_t thread = 0;
    int32_t opcode = 0; // of a dispatcher or audioMaster call
    uint8_t function = 0;
};

class StatsTimer
{
public:
    static constexpr size_t kMaxThreads = 256;
    static constexpr size_t kMaxDepth = 256;

    explicit StatsTimer(std::function<void(const TimedCall&)> timed) : sink(std::move(timed)) {}

    void add(const recordFormat::Record& record);

    // The role a thread had at its last record (that --print shows there).
    uint8_t roleOf(uint32_t thread) const;
    // Timed calls whose return the recording does not hold (a crash, a kill), so far.
    uint64_t unfinished() const;
    uint64_t calls() const { return callCount; }
    // Calls past the limits above, or open when a gap lost records.
    uint64_t untimed() const { return untimedCount; }
    uint64_t dropped() const { return droppedCount; }
    double lastSampleRate() const { return sampleRate; }

private:
    struct Open
    {
        uint64_t call;
        uint64_t beginNs;
        int64_t frames;
        double sampleRate;
        int32_t opcode;
        uint8_t function;
    };
    struct Thread
    {
        std::vector<Open> open;
        uint64_t deeper = 0; // calls past kMaxDepth still open
        uint8_t role = 0;
    };

    Thread* threadOf(uint32_t number);
    void call(const recordFormat::Record& record);
    void ret(const recordFormat::Record& record);
    void gap(const recordFormat::Record& record);

    std::function<void(const TimedCall&)> sink;
    std::map<uint32_t, Thread> threads;
    uint64_t firstNs = 0;
    uint64_t callCount = 0;
    uint64_t untimedCount = 0;
    uint64_t droppedCount = 0;
    double sampleRate = 0;
};
} // namespace oplexa
