#include "tools/host/HostOpcodes.h"

#include "logger/OpCodeCatalogue.h"

// Names and string arguments come from the logger's catalogue: one table for the whole project.
namespace host
{
namespace
{
const VstOpCodeInfo* dispatcherInfo(int32_t opcode)
{
    return opcode >= 0 && opcode < kNumDispatcherOpCodes ? &effOpCodes[opcode] : nullptr;
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
    return opcode >= 0 && opcode < kNumAudioMasterOpCodes ? audioMasterOpCodes[opcode].name : "?";
}
} // namespace host
