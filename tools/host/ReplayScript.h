// A recording arranged for replay: the host calls in recorded order, each with the plug-in's
// callbacks made inside it on the same thread, and the callbacks made outside any host call.
#pragma once

#include "record/RecordReader.h"

#include <deque>
#include <map>
#include <string>
#include <vector>

namespace host
{
struct Callback
{
    const recordFormat::Record* call = nullptr;
    const recordFormat::Record* ret = nullptr;
    bool used = false;
};

struct HostCall
{
    size_t ordinal = 0; // 1-based among all call records, as --print numbers them
    const recordFormat::Record* call = nullptr;
    const recordFormat::Record* ret = nullptr; // null when the recording ends inside the call
    // A vector: most calls have none, and an empty deque takes 600 bytes.
    std::vector<Callback> callbacks;
};

struct ReplayScript
{
    // Deques: frames keep pointers into them while they grow.
    std::deque<HostCall> calls;
    // Per recorded thread that makes host calls: its callbacks outside them (the entry point's).
    std::map<uint32_t, std::vector<Callback>> loose;
    // Callbacks of the plug-in's own threads.
    std::vector<Callback> foreign;
    uint32_t entryThread = 0;
    std::vector<std::string> skippedEditorCalls;
    size_t threads = 0; // recorded threads that make host calls
};

void buildScript(const recordFormat::Recording& recording, ReplayScript& script);

// "effGetParamDisplay", "processReplacing", "audioMasterGetTime".
std::string callName(int function, int32_t opcode);
} // namespace host
