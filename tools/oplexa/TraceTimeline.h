// A recording's records, as they are read, turned into a timeline: a track per recorded thread with
// a complete event per call, audioMaster calls nested in the host call they were made from,
// process calls with their budget, a counter per parameter the host sets, and instant events for
// blocks over budget, gaps and problems. Only the calls still open are held.
#pragma once

#include "record/RecordReader.h"
#include "tools/oplexa/TraceCallArgs.h"
#include "tools/oplexa/TraceJson.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace oplexa
{
// The part of the session kept, in nanoseconds since the first record (the printout's times).
struct TraceWindow
{
    uint64_t fromNs = 0;
    uint64_t toNs = UINT64_MAX;
};

class TraceTimeline
{
public:
    // Calls held open at once, on all threads together: past it a thread's further calls get an
    // event of no length at once, and their returns are matched to them, not to held calls.
    static constexpr size_t kMaxOpenCalls = size_t{1} << 16;
    // Tracks: records of threads past these are left out and counted.
    static constexpr size_t kMaxTracks = 4096;

    TraceTimeline(TraceJson& to, TraceWindow kept);

    void add(const recordFormat::Record& record);
    // A problem the checker found at the record just added, on its thread at its time.
    void problem(uint64_t call, const char* rule);
    // Calls never returned last to the recording's end; then the tracks' names.
    void finish(const std::string& processName);

    size_t leftOutRecords() const { return leftOut; }

private:
    struct Track
    {
        std::vector<PendingCall> open;
        uint64_t lastNs = 0;
        size_t unheld = 0; // calls past kMaxOpenCalls still open, innermost on the thread
        uint8_t role = 0;
        bool timed = false;
    };

    Track* trackOf(uint32_t thread);
    uint64_t advance(Track& track, uint64_t ns);
    void call(Track& track, const recordFormat::Record& record, uint64_t ns);
    void ret(Track& track, const recordFormat::Record& record, uint64_t ns);
    void complete(const PendingCall& call, uint64_t endNs, const CallResult* result);
    bool kept(uint64_t ns) const { return ns >= window.fromNs && ns <= window.toNs; }

    TraceJson& json;
    TraceWindow window;
    CallNames names;
    std::map<uint32_t, Track> tracks;
    Track* lastTrack = nullptr;
    uint32_t lastThread = 0;
    uint64_t firstNs = 0;
    bool started = false;
    uint64_t endNs = 0;    // the latest time on any track
    uint64_t calls = 0;    // call records so far
    size_t openCalls = 0;  // held on all tracks
    size_t leftOut = 0;    // records of threads past kMaxTracks
    double sampleRate = 0; // from effSetSampleRate
    uint32_t thread = 0;   // of the record just added, and its time
    uint64_t currentNs = 0;
};
} // namespace oplexa
