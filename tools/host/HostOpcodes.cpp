#include "tools/host/HostOpcodes.h"

#include "vst/OpCodeTable.h"

// Names and string arguments come from the opcode table: one table for the whole project.
namespace host
{
namespace
{
const VstOpCodeInfo* dispatcherInfo(int32_t opcode)
{
    return opCodeInfo(fnDispatcher, opcode);
}
} // namespace

bool dispatcherTakesText(int32_t opcode)
{
    const VstOpCodeInfo* info = dispatcherInfo(opcode);
    return info != nullptr && info->ptrKind == ptrString && !info->ptrIsReturned;
}

bool dispatcherReturnsText(int32_t opcode)
{
    const VstOpCodeInfo* info = dispatcherInfo(opcode);
    return info != nullptr && info->ptrKind == ptrString && info->ptrIsReturned;
}

const char* dispatcherOpcodeName(int32_t opcode)
{
    const VstOpCodeInfo* info = dispatcherInfo(opcode);
    return info != nullptr ? info->name : "?";
}

const char* audioMasterOpcodeName(int32_t opcode)
{
    const VstOpCodeInfo* info = opCodeInfo(fnAudioMaster, opcode);
    return info != nullptr ? info->name : "?";
}
} // namespace host
