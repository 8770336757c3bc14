// A recording arranged for replay as it is read: the host calls in recorded order, each with the
// plug-in's callbacks made inside it on the same thread, and the callbacks made outside any host
// call. Only a window of the calls is held: the reading goes on as far as the next call to make
// needs (up to its return), within kWindowBytes of records held.
#pragma once

#include "record/RecordReader.h"

#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace host
{
using HeldRecord = std::unique_ptr<const recordFormat::Record>;

struct Callback
{
    HeldRecord call;
    HeldRecord ret;
    bool used = false;
};

struct HostCall
{
    size_t ordinal = 0; // 1-based among all call records, as --print numbers them
    HeldRecord call;
    HeldRecord ret; // null when the recording ends inside the call
    // A vector: most calls have none, and an empty deque takes 600 bytes.
    std::vector<Callback> callbacks;
};

// Callbacks in order, the oldest dropped as they are done with; serial numbers stay.
struct CallbackQueue
{
    std::deque<Callback> items;
    size_t first = 0; // the serial number of items.front()
};

// The records of the calls held for replay: this much at most.
constexpr size_t kWindowBytes = size_t{32} << 20;

class ReplayScript
{
public:
    // The first pass: what a replay must know before it starts (threads, gaps, records).
    struct Survey
    {
        std::set<uint32_t> hostThreads; // recorded threads that make host calls
        uint32_t entryThread = 0;
        size_t records = 0;
        bool hasGap = false;
    };
    // Walks the whole recording once, from an opened stream.
    static void survey(recordFormat::RecordStream& stream, Survey& found);

    explicit ReplayScript(const Survey& found) : surveyed(found) {}
    // The recording a second time, read as the calls need it.
    bool open(const std::string& path) { return !(ended = !stream.open(path)); }
    void open(const uint8_t* data, size_t size) { stream.open(data, size); }

    // Reads on until call number index (0-based) and its return are held or the file ends;
    // false when the window is full first.
    bool readTo(size_t index);
    // Host call number index, held; true when there is none (the recording's calls are done).
    bool done(size_t index) const { return ended && index >= firstCall + calls.size(); }
    HostCall& at(size_t index) { return calls[index - firstCall]; }
    // Drops the calls before index.
    void release(size_t index);
    // Callbacks outside host calls are looked up only while the plug-in loads.
    void loaded();

    std::map<uint32_t, CallbackQueue> loose; // per thread that makes host calls
    CallbackQueue foreign;                   // the plug-in's own threads'
    std::vector<std::string> skippedEditorCalls;
    const Survey& surveyed;

private:
    // What a thread is inside: a host call, a callback in one (owner, by its place) or in a
    // queue (by its serial number), or a call replay leaves out (none of them).
    struct Frame
    {
        HostCall* host = nullptr;
        HostCall* owner = nullptr;
        CallbackQueue* queue = nullptr;
        size_t place = 0;
    };
    void add(recordFormat::Record&& record);
    void trim(CallbackQueue& queue, size_t keep);

    recordFormat::RecordStream stream;
    std::deque<HostCall> calls;
    size_t firstCall = 0;
    std::map<uint32_t, std::vector<Frame>> stacks;
    size_t ordinal = 0;
    size_t held = 0;
    bool ended = false;
    bool keepLoose = true;
};

// "effGetParamDisplay", "processReplacing", "audioMasterGetTime".
std::string callName(int function, int32_t opcode);
} // namespace host
