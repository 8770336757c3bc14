#include "bridge/CallNames.h"

#include "bridge/CallGate.h"
#include "logger/OXLogger.h"

void appendOpcodeName(LineBuffer& line, int group, int32_t opcode) noexcept
{
    const OpCodeGroupInfo& info = OpCodeGroupsInfo[group];
    if (info.contains(opcode))
    {
        line.appendText(info.prefix);
        line.appendText(info.name(opcode));
        return;
    }
    line.appendText(vstFunctionNames[info.function]);
    line.appendLiteral(" opcode ");
    line.appendDecimal(opcode);
}

void appendCallName(LineBuffer& line, int32_t call) noexcept
{
    if (call >= 0 && call < kNumVstFunctions)
        appendOpcodeName(line, OXLogger::vstAEffectFunctions, call);
    else
        appendOpcodeName(line, OXLogger::vstDispatcherOpCodes, call - callGate::kDispatcherCalls);
}
