#include "logger/CountersAndSwitches.h"

DynamicDebugInfo vstFunctionsLogInfo[kNumVstFunctions];
DynamicDebugInfo vstDispatcherLogInfo[kNumDispatcherOpCodes];
DynamicDebugInfo vstAudioMasterLogInfo[kNumAudioMasterOpCodes];

// Every walk over all groups goes through this table, in this order.
const OpCodeGroupInfo OpCodeGroupsInfo[kNumOpCodeGroups] = {
    {kNumVstFunctions, "vstAEffectFunctions", vstFunctionsLogInfo},
    {kNumDispatcherOpCodes, "vstDispatcherOpCodes", vstDispatcherLogInfo},
    {kNumAudioMasterOpCodes, "vstAudioMasterOpCodes", vstAudioMasterLogInfo},
};

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
