#include "bridge/CallNames.h"

#include "bridge/CallGate.h"
#include "logger/OXLogger.h"

void appendCallName(LineBuffer& line, int32_t call) noexcept
{
    if (call >= 0 && call < kNumVstFunctions)
    {
        line.appendText(vstFunctionNames[call]);
        return;
    }
    const int32_t opcode = call - callGate::kDispatcherCalls;
    const OpCodeGroupInfo& dispatcher = OpCodeGroupsInfo[OXLogger::vstDispatcherOpCodes];
    if (call >= callGate::kDispatcherCalls && dispatcher.contains(opcode))
    {
        line.appendText(dispatcher.prefix);
        line.appendText(dispatcher.name(opcode));
        return;
    }
    line.appendLiteral("dispatcher opcode ");
    line.appendDecimal(opcode);
}
