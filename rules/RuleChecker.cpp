#include "rules/RuleChecker.h"

namespace rules
{
bool PluginFacts::operator==(const PluginFacts& other) const noexcept
{
    return flags == other.flags && numPrograms == other.numPrograms &&
           numParams == other.numParams && numInputs == other.numInputs &&
           numOutputs == other.numOutputs && initialDelay == other.initialDelay &&
           hasProcessReplacing == other.hasProcessReplacing &&
           hasProcessDoubleReplacing == other.hasProcessDoubleReplacing;
}

RuleChecker::RuleChecker(Firing onFiring, void* context) noexcept
    : firing(onFiring), firingContext(context)
{
}

// To be filled in: the rules themselves.
void RuleChecker::pluginStarted(const PluginFacts& facts) noexcept
{
    current = facts;
    announced = facts;
}
void RuleChecker::pluginChanged(const PluginFacts& facts) noexcept
{
    current = facts;
}
void RuleChecker::ticksPerSecond(double rate) noexcept
{
    tickRate = rate;
}
void RuleChecker::hostCall(ThreadState&, const CallFacts&) noexcept {}
void RuleChecker::hostReturn(ThreadState&, const CallFacts&) noexcept {}
void RuleChecker::callback(ThreadState&, const CallFacts&) noexcept {}
void RuleChecker::callbackReturn(ThreadState&, const CallFacts&) noexcept {}
void RuleChecker::outputCounts(const ThreadState&, uint64_t, int32_t, uint32_t, uint32_t) noexcept
{
}
void RuleChecker::closed() noexcept
{
    isClosed.store(true, std::memory_order_relaxed);
}

bool RuleChecker::anyFired() const noexcept
{
    for (const Tally& tally : tallies)
        if (tally.count.load(std::memory_order_relaxed) != 0)
            return true;
    return false;
}

void RuleChecker::fire(Rule, const ThreadState&, uint64_t, const char*) noexcept {}
} // namespace rules
