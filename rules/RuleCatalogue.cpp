#include "rules/RuleCatalogue.h"

#include <cstring>

namespace rules
{
namespace
{
constexpr RuleInfo kRules[] = {
    {Rule::processWhileSuspended, "process-while-suspended", Side::host, Severity::error, false,
     "a process function called before the first effMainsChanged 1 or after effMainsChanged 0"},
    {Rule::setupWhileResumed, "setup-while-resumed", Side::host, Severity::error, false,
     "the sample rate, block size, precision or speaker arrangement set while resumed"},
    {Rule::blockLargerThanSet, "block-larger-than-set", Side::host, Severity::error, false,
     "a block of more frames than the last effSetBlockSize said"},
    {Rule::concurrentProcess, "concurrent-process", Side::host, Severity::error, false,
     "two threads inside the process functions of one instance at once"},
    {Rule::processDuringSetup, "process-during-setup", Side::host, Severity::error, false,
     "a process call while another thread is inside effMainsChanged, effSetSampleRate, "
     "effSetBlockSize or effClose"},
    {Rule::callAfterClose, "call-after-close", Side::host, Severity::error, true,
     "a host call after effClose"},
    {Rule::indexOutOfRange, "index-out-of-range", Side::host, Severity::error, false,
     "a parameter index outside 0 to numParams - 1, or a program outside 0 to numPrograms - 1"},
    {Rule::parameterValueOutOfRange, "parameter-value-out-of-range", Side::host, Severity::warning,
     false, "setParameter with a value outside 0 to 1, or not a number"},
    {Rule::functionNotOffered, "function-not-offered", Side::host, Severity::error, false,
     "processReplacing or processDoubleReplacing called without its flag on the record"},
    {Rule::precisionNotSet, "precision-not-set", Side::host, Severity::warning, false,
     "processDoubleReplacing before effSetProcessPrecision 1"},
    {Rule::editorThread, "editor-thread", Side::host, Severity::warning, false,
     "editor calls from the thread that processes, while another thread also calls"},
    {Rule::nullBuffer, "null-buffer", Side::host, Severity::error, false,
     "a null pointer where the opcode writes a text or a structure"},
    {Rule::eventOutsideBlock, "event-outside-block", Side::host, Severity::error, false,
     "an event's deltaFrames negative, or at or past the frames of the next block"},
    {Rule::eventsUnsorted, "events-unsorted", Side::host, Severity::warning, false,
     "the events of one list not in deltaFrames order"},
    {Rule::textTooLong, "text-too-long", Side::both, Severity::warning, false,
     "a text longer than its documented room"},
    {Rule::parameterOutOfRange, "parameter-out-of-range", Side::plugin, Severity::warning, false,
     "getParameter returned a value outside 0 to 1, or not a number"},
    {Rule::outputNotFinite, "output-not-finite", Side::plugin, Severity::error, false,
     "a NaN or an infinity in an output channel"},
    {Rule::outputDenormal, "output-denormal", Side::plugin, Severity::warning, false,
     "denormal samples in an output channel"},
    {Rule::latencyChangeUnannounced, "latency-change-unannounced", Side::plugin, Severity::error,
     false, "initialDelay, numInputs or numOutputs changed without audioMasterIOChanged"},
    {Rule::blockingCallbackInProcess, "blocking-callback-in-process", Side::plugin, Severity::error,
     false, "a callback that may block made on the processing thread"},
    {Rule::displayUpdateInProcess, "display-update-in-process", Side::plugin, Severity::warning,
     false, "audioMasterUpdateDisplay made on the processing thread"},
    {Rule::callbackAfterClose, "callback-after-close", Side::plugin, Severity::error, true,
     "an audioMaster call after effClose returned"},
    {Rule::processOverBudget, "process-over-budget", Side::plugin, Severity::warning, false,
     "a process call that took longer than its block lasts"},
    {Rule::chunkInconsistent, "chunk-inconsistent", Side::plugin, Severity::error, false,
     "effGetChunk returned a size above 0 with a null pointer, or a negative size"},
    {Rule::replacingNotFlagged, "replacing-not-flagged", Side::plugin, Severity::warning, false,
     "a processReplacing function on a record without effFlagsCanReplacing"},
};
static_assert(sizeof kRules / sizeof kRules[0] == kRuleCount, "one row per rule");

constexpr bool rowsInOrder()
{
    for (size_t i = 0; i < kRuleCount; ++i)
        if (static_cast<size_t>(kRules[i].rule) != i)
            return false;
    return true;
}
static_assert(rowsInOrder(), "each row sits at its rule's place");
} // namespace

const RuleInfo& ruleInfo(Rule rule) noexcept
{
    return kRules[static_cast<size_t>(rule)];
}

const RuleInfo* ruleById(const char* id) noexcept
{
    for (const RuleInfo& info : kRules)
        if (std::strcmp(info.id, id) == 0)
            return &info;
    return nullptr;
}

const char* sideName(Side side) noexcept
{
    return side == Side::host ? "host" : side == Side::plugin ? "plug-in" : "both";
}

const char* severityName(Severity severity) noexcept
{
    return severity == Severity::error ? "error" : "warning";
}
} // namespace rules
