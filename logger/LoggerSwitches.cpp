// The logger's members that read and set the counters and switches of every opcode.
#include "logger/OXLogger.h"

namespace
{
const OpCodeGroupInfo* groupInfo(OXLogger::vstOpCodeGroup group) noexcept
{
    const auto index = static_cast<unsigned>(group);
    return index < static_cast<unsigned>(kNumOpCodeGroups) ? &OpCodeGroupsInfo[index] : nullptr;
}

// The system passes only valid pairs; anything else reads a record that does not exist.
template <typename Logger> auto* record(Logger& logger, OXLogger::vstOpCodeGroup group, long opCode)
{
    const OpCodeGroupInfo* info = groupInfo(group);
    return info != nullptr && info->contains(opCode) ? &logger.logInfo(group)[opCode] : nullptr;
}

// Calls action on every record of every group, in the group table's order.
template <typename Action> void forEachRecord(OXLogger& logger, Action action) noexcept
{
    for (int g = 0; g < kNumOpCodeGroups; ++g)
    {
        DynamicDebugInfo* records = logger.logInfo(static_cast<OXLogger::vstOpCodeGroup>(g));
        for (int i = 0; i < OpCodeGroupsInfo[g].numOpCodes; ++i)
            action(records[i]);
    }
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
    if (DynamicDebugInfo* info = record(*this, group, opCode))
        info->setEnabled(enabled);
}

void OXLogger::setVstOpCodesEnabled(bool enabled) noexcept
{
    forEachRecord(*this, [enabled](DynamicDebugInfo& info) { info.setEnabled(enabled); });
}

void OXLogger::toggleVstOpCodesEnabled() noexcept
{
    forEachRecord(*this, [](DynamicDebugInfo& info) { info.setEnabled(!info.isEnabled()); });
}

long OXLogger::getVstOpCodeCount(vstOpCodeGroup group, long opCode) const noexcept
{
    // Dispatcher and audioMaster calls are counted per opcode only; their function's count is
    // the sum, wrapping like each counter does.
    if (group == vstAEffectFunctions && (opCode == fnDispatcher || opCode == fnAudioMaster))
    {
        const vstOpCodeGroup callsGroup =
            opCode == fnDispatcher ? vstDispatcherOpCodes : vstAudioMasterOpCodes;
        const DynamicDebugInfo* calls = logInfo(callsGroup);
        uint32_t sum = 0;
        for (int i = 0; i < OpCodeGroupsInfo[callsGroup].numOpCodes; ++i)
            sum += calls[i].count.load(std::memory_order_relaxed);
        return static_cast<int32_t>(sum);
    }
    const DynamicDebugInfo* info = record(*this, group, opCode);
    return info != nullptr ? info->getCount() : 0;
}

bool OXLogger::isVstOpCodeEnabled(vstOpCodeGroup group, long opCode) const noexcept
{
    const DynamicDebugInfo* info = record(*this, group, opCode);
    return info != nullptr && info->isEnabled();
}

void OXLogger::resetVstOpCodeCounters() noexcept
{
    forEachRecord(*this, [](DynamicDebugInfo& info) { info.resetCount(); });
}
