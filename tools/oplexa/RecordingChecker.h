// Feeds a rules::RuleChecker from a recording, one record at a time, so that `oplexa check` and
// the trace judge a recording by the same rules the module applies live. What a recording lacks
// stays unjudged: without plug-in records (version 3 and older) the rules that need numParams,
// the flags or initialDelay; without output counts (or full outputs) the output rules.
#pragma once

#include "record/RecordReader.h"
#include "rules/RuleChecker.h"

#include <cstdint>
#include <functional>
#include <unordered_map>
#include <vector>

namespace oplexa
{
class RecordingChecker
{
public:
    // Called at every firing, as the checker's Firing hook is: the trace marks each.
    using Marked =
        std::function<void(rules::Rule rule, const rules::Tally& tally, uint64_t call, bool first)>;
    explicit RecordingChecker(Marked onFiring = {});
    RecordingChecker(const RecordingChecker&) = delete;
    RecordingChecker& operator=(const RecordingChecker&) = delete;

    // Before the first record: the header says how outputs were kept.
    void start(const recordFormat::Header& header);
    void feed(const recordFormat::Record& record);

    const rules::RuleChecker& checker() const { return rules; }

private:
    struct OpenCall
    {
        uint64_t number; // as `oplexa print` numbers calls: its returns take the call's
        uint8_t function;
        int32_t opcode;
        int32_t index;
        bool ptrNull;
    };
    struct Thread
    {
        rules::ThreadState state;
        std::vector<OpenCall> open; // calls awaiting their returns, innermost last
    };
    static void fired(void* context, rules::Rule rule, const rules::Tally& tally, uint64_t call,
                      bool first);
    Thread& thread(const recordFormat::Record& record);
    void call(Thread& thread, const recordFormat::Record& record);
    void ret(Thread& thread, const recordFormat::Record& record);
    void outputs(const Thread& thread, uint64_t call, const recordFormat::Record& record);
    void closeOpenCalls();
    template <typename Record> void plugin(const Record& record);
    template <typename Record>
    bool countedOutputs(const Thread& thread, uint64_t call, const Record& record);

    Marked marked;
    rules::RuleChecker rules;
    std::unordered_map<uint32_t, Thread> threads;
    Thread overflow;    // the threads past the most kept apart, which a crafted file may name
    uint64_t calls = 0; // call records so far
    bool fullOutputs = false;
    bool started = false;
};
} // namespace oplexa
