// A session's checking of the protocol rules, outside the call path: its start, the plug-in's
// record as the checker reads it, and the hook through which a recording's writer thread counts
// the outputs. The call path's hooks are in CheckHooks.h.
#pragma once

#include "bridge/CheckThreads.h"
#include "vst/VstInterface.h"

#include <atomic>

class OXLogger;
class Recorder;

namespace liveCheck
{
// At a session's start, before the plug-in's entry point runs: a fresh checker, whose first
// firing of a rule the logger says, and fresh numbering; checking turns on when on says so.
void begin(std::atomic<bool>& checking, rules::RuleChecker& checker, CheckNumbering& numbering,
           OXLogger& logger, bool on) noexcept;
// Before the recording starts: the output rules, checked on its writer thread; null for none.
void countOutputs(Recorder& recorder, CheckNumbering* numbering) noexcept;
// The record the plug-in's entry point returned.
void pluginStarted(CheckNumbering& numbering, const AEffect& hosted) noexcept;

// What the checker reads of a record, and the same as the numbering keeps it to compare. Inline:
// every hook reads the record.
template <typename T> T loaded(const T& field) noexcept
{
    return __atomic_load_n(&field, __ATOMIC_RELAXED);
}
inline rules::PluginFacts factsOf(const AEffect& hosted) noexcept
{
    rules::PluginFacts facts;
    facts.flags = loaded(hosted.flags);
    facts.numPrograms = loaded(hosted.numPrograms);
    facts.numParams = loaded(hosted.numParams);
    facts.numInputs = loaded(hosted.numInputs);
    facts.numOutputs = loaded(hosted.numOutputs);
    facts.initialDelay = loaded(hosted.initialDelay);
    facts.hasProcessReplacing = loaded(hosted.processReplacing) != nullptr;
    facts.hasProcessDoubleReplacing = loaded(hosted.processDoubleReplacing) != nullptr;
    return facts;
}
// The facts in three words, each pair of fields in one, to be compared with one branch.
inline void packFacts(uint64_t words[3], const rules::PluginFacts& facts) noexcept
{
    const auto pair = [](int32_t low, int32_t high)
    { return uint64_t{static_cast<uint32_t>(high)} << 32 | static_cast<uint32_t>(low); };
    words[0] = pair(facts.numPrograms, facts.numParams);
    words[1] = pair(facts.numInputs, facts.numOutputs);
    words[2] =
        pair(facts.flags, facts.initialDelay) ^ (uint64_t{facts.hasProcessReplacing} << 31 |
                                                 uint64_t{facts.hasProcessDoubleReplacing} << 63);
}
void storeFacts(CheckNumbering& numbering, const rules::PluginFacts& facts) noexcept;
} // namespace liveCheck
