// The summary file for runs through oplexa-host, where no test can ask the probe directly.
// One "key=value" a line; keys are stable, values hold no pointers.
#include "tests/plugins/probe/ProbeState.h"

#include <cinttypes>
#include <cstdio>

namespace probe
{
namespace
{
const char* const kFunctionNames[kProbeNumFunctions] = {"entry",
                                                        "dispatcher",
                                                        "process",
                                                        "processReplacing",
                                                        "setParameter",
                                                        "getParameter",
                                                        "processDoubleReplacing"};

const char* whenName(int32_t when)
{
    switch (when)
    {
    case kProbeAtEntry:
        return "entry";
    case kProbeInProcess:
        return "process";
    case kProbeInSetParameter:
        return "setParameter";
    default:
        return "dispatcher";
    }
}
} // namespace

void writeReportFile(const char* reason)
{
    ProbeState& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (s.reportPath.empty())
        return;
    FILE* file = std::fopen(s.reportPath.c_str(), "w");
    if (file == nullptr)
        return;
    std::fprintf(file, "written=%s\n", reason);
    std::fprintf(file, "entry=%s\n", s.entryName.c_str());
    std::fprintf(file, "open=%d\nclosed=%d\n", s.open.load() ? 1 : 0, s.closed.load() ? 1 : 0);
    std::fprintf(file, "callsAfterClose=%" PRId64 "\n", s.callsAfterClose.load());
    std::fprintf(file, "closeSequence=%" PRIu64 "\n", s.closeSequence.load());
    std::fprintf(file, "unloadSequence=%" PRIu64 "\n", s.unloadSequence.load());
    std::fprintf(file, "lastSequence=%" PRIu64 "\n", s.sequence.load());
    for (size_t f = 0; f < kProbeNumFunctions; ++f)
    {
        std::fprintf(file, "calls.%s=%" PRId64 "\n", kFunctionNames[f], s.functionCounts[f].load());
        if (f != kProbeEntry)
            std::fprintf(file, "foreign.%s=%" PRId64 "\n", kFunctionNames[f],
                         s.foreignCounts[f].load());
    }
    for (size_t slot = 0; slot < s.lastDispatch.size(); ++slot)
    {
        const ProbeDispatchCall& call = s.lastDispatch[slot];
        if (call.count == 0)
            continue;
        std::fprintf(file,
                     "opcode.%zu.count=%" PRId64 "\nopcode.%zu.last=index %d value %ld opt %.9g "
                     "ptr %s result %ld\n",
                     slot, s.dispatchCounts[slot].load(), slot, call.index,
                     static_cast<long>(call.value), static_cast<double>(call.opt),
                     call.ptr != nullptr ? "set" : "null", static_cast<long>(call.result));
        if (call.text[0] != '\0')
            std::fprintf(file, "opcode.%zu.text=%s\n", slot, call.text);
    }
    for (size_t i = 0; i < 2; ++i)
        std::fprintf(file, "%s.lastFrames=%d\n", i == 0 ? "process" : "processReplacing",
                     s.lastProcess[i].sampleFrames);
    std::fprintf(file, "master.count=%d\n", s.answerTotal.load());
    // The first answers tell the story; a long run adds only more of the same.
    for (size_t i = 0; i < s.answers.size() && i < 256; ++i)
    {
        const ProbeMasterAnswer& answer = s.answers[i];
        std::fprintf(file, "master.%zu=%s %d result %ld effect %s text %s\n", i,
                     whenName(answer.when), answer.opcode, static_cast<long>(answer.result),
                     answer.effectPassed == nullptr ? "null" : "record", answer.text);
    }
    std::fclose(file);
}
} // namespace probe
