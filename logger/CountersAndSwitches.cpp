#include "logger/CountersAndSwitches.h"

#include "logger/OXLogger.h"

DynamicDebugInfo vstFunctionsLogInfo[kNumVstFunctions];
DynamicDebugInfo vstDispatcherLogInfo[kNumDispatcherOpCodes];
DynamicDebugInfo vstAudioMasterLogInfo[kNumAudioMasterOpCodes];

void initLogInfo(DynamicDebugInfo* records, int n) noexcept
{
    for (int i = 0; i < n; ++i)
    {
        records[i].resetCount();
        records[i].setEnabled(true);
    }
}

void initLogCounters(DynamicDebugInfo* records, int n) noexcept
{
    for (int i = 0; i < n; ++i)
        records[i].resetCount();
}

namespace
{
const OpCodeGroupInfo* groupInfo(OXLogger::vstOpCodeGroup group) noexcept
{
    const auto index = static_cast<unsigned>(group);
    return index < static_cast<unsigned>(kNumOpCodeGroups) ? &OpCodeGroupsInfo[index] : nullptr;
}

// The system passes only valid pairs; anything else reads a record that does not exist.
DynamicDebugInfo* record(OXLogger::vstOpCodeGroup group, long opCode) noexcept
{
    const OpCodeGroupInfo* info = groupInfo(group);
    return info != nullptr && info->contains(opCode) ? &info->logInfo[opCode] : nullptr;
}
} // namespace

juce::String OXLogger::getVstOpCodeName(vstOpCodeGroup group, long opCode) const
{
    const OpCodeGroupInfo* info = groupInfo(group);
    return info != nullptr && info->contains(opCode) ? info->name(opCode) : "unknown";
}

int OXLogger::getVstNumOpCodes(vstOpCodeGroup group) const noexcept
{
    const OpCodeGroupInfo* info = groupInfo(group);
    return info != nullptr ? info->numOpCodes : 0;
}

void OXLogger::setVstOpCodeEnabled(bool enabled, vstOpCodeGroup group, long opCode) noexcept
{
    if (DynamicDebugInfo* info = record(group, opCode))
        info->setEnabled(enabled);
}

void OXLogger::setVstOpCodesEnabled(bool enabled) noexcept
{
    for (const OpCodeGroupInfo& group : OpCodeGroupsInfo)
        for (int i = 0; i < group.numOpCodes; ++i)
            group.logInfo[i].setEnabled(enabled);
}

void OXLogger::toggleVstOpCodesEnabled() noexcept
{
    for (const OpCodeGroupInfo& group : OpCodeGroupsInfo)
        for (int i = 0; i < group.numOpCodes; ++i)
            group.logInfo[i].setEnabled(!group.logInfo[i].isEnabled());
}

long OXLogger::getVstOpCodeCount(vstOpCodeGroup group, long opCode) const noexcept
{
    // Dispatcher and audioMaster calls are counted per opcode only; their function's count is
    // the sum, wrapping like each counter does.
    if (group == vstAEffectFunctions && (opCode == fnDispatcher || opCode == fnAudioMaster))
    {
        const OpCodeGroupInfo& calls =
            OpCodeGroupsInfo[opCode == fnDispatcher ? vstDispatcherOpCodes : vstAudioMasterOpCodes];
        uint32_t sum = 0;
        for (int i = 0; i < calls.numOpCodes; ++i)
            sum += calls.logInfo[i].count.load(std::memory_order_relaxed);
        return static_cast<int32_t>(sum);
    }
    const DynamicDebugInfo* info = record(group, opCode);
    return info != nullptr ? info->getCount() : 0;
}

bool OXLogger::isVstOpCodeEnabled(vstOpCodeGroup group, long opCode) const noexcept
{
    const DynamicDebugInfo* info = record(group, opCode);
    return info != nullptr && info->isEnabled();
}

void OXLogger::resetVstOpCodeCounters() noexcept
{
    for (const OpCodeGroupInfo& group : OpCodeGroupsInfo)
        initLogCounters(group.logInfo, group.numOpCodes);
}
