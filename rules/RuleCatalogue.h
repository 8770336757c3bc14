// The rules of the VST 2 protocol that the checker knows: one row per rule, indexed by Rule.
// README.md, "Protocol rules", says why each matters.
#pragma once

#include <cstddef>
#include <cstdint>

namespace rules
{
enum class Rule : uint8_t
{
    processWhileSuspended,
    setupWhileResumed,
    blockLargerThanSet,
    concurrentProcess,
    processDuringSetup,
    callAfterClose,
    indexOutOfRange,
    parameterValueOutOfRange,
    functionNotOffered,
    precisionNotSet,
    editorThread,
    nullBuffer,
    eventOutsideBlock,
    eventsUnsorted,
    textTooLong,
    parameterOutOfRange,
    outputNotFinite,
    outputDenormal,
    latencyChangeUnannounced,
    blockingCallbackInProcess,
    displayUpdateInProcess,
    callbackAfterClose,
    processOverBudget,
    chunkInconsistent,
    replacingNotFlagged,
    count,
};
constexpr size_t kRuleCount = static_cast<size_t>(Rule::count);

// Which side broke the rule.
enum class Side : uint8_t
{
    host,
    plugin,
    both, // text-too-long: either side's texts
};

enum class Severity : uint8_t
{
    error,   // breaks hosts or plug-ins in practice
    warning, // outside the documented convention, or often broken without harm
};

struct RuleInfo
{
    Rule rule;
    const char* id; // "process-while-suspended"
    Side side;
    Severity severity;
    bool liveOnly;       // needs the session running: a recording ends at Close
    const char* summary; // one line: what breaking it means
};

const RuleInfo& ruleInfo(Rule rule) noexcept;
// Null for an id no rule has.
const RuleInfo* ruleById(const char* id) noexcept;
const char* sideName(Side side) noexcept;             // "host", "plug-in", "both"
const char* severityName(Severity severity) noexcept; // "error", "warning"
} // namespace rules
