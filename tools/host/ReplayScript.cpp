#include "tools/host/ReplayScript.h"

#include "record/RecordFormat.h"
#include "vst/OpCodeTable.h"

#include <set>

namespace host
{
namespace
{
// What a thread is inside: a host call, a callback (by its place: its list grows), or a call
// replay leaves out (no list).
struct Frame
{
    HostCall* host = nullptr;
    std::vector<Callback>* list = nullptr;
    size_t index = 0;
};
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

void buildScript(const recordFormat::Recording& recording, ReplayScript& script)
{
    std::set<uint32_t> hostThreads;
    for (const recordFormat::Record& record : recording.records)
        if (record.kind == recordFormat::kCall && record.function != fnAudioMaster)
            hostThreads.insert(record.thread);
    script.threads = hostThreads.size();
    std::map<uint32_t, std::vector<Frame>> stacks;
    size_t ordinal = 0;
    bool first = true;
    for (const recordFormat::Record& record : recording.records)
    {
        std::vector<Frame>& stack = stacks[record.thread];
        if (record.kind == recordFormat::kReturn)
        {
            if (stack.empty())
                continue;
            Frame& top = stack.back();
            if (top.host != nullptr)
                top.host->ret = &record;
            else if (top.list != nullptr)
                (*top.list)[top.index].ret = &record;
            stack.pop_back();
            continue;
        }
        if (record.kind != recordFormat::kCall)
            continue;
        ++ordinal;
        if (first)
            script.entryThread = record.thread;
        first = false;
        if (record.function != fnAudioMaster)
        {
            if (record.function == fnDispatcher && recordFormat::isEditorOpcode(record.opcode))
            {
                script.skippedEditorCalls.push_back(callName(record.function, record.opcode) +
                                                    " (call " + std::to_string(ordinal) + ")");
                stack.push_back({});
                continue;
            }
            script.calls.push_back({ordinal, &record, nullptr, {}});
            stack.push_back({&script.calls.back(), nullptr, 0});
            continue;
        }
        HostCall* inside = nullptr;
        for (auto frame = stack.rbegin(); frame != stack.rend() && inside == nullptr; ++frame)
            inside = frame->host;
        std::vector<Callback>& list = inside != nullptr ? inside->callbacks
                                      : hostThreads.count(record.thread)
                                          ? script.loose[record.thread]
                                          : script.foreign;
        list.push_back({&record, nullptr, false});
        stack.push_back({nullptr, &list, list.size() - 1});
    }
}
} // namespace host
