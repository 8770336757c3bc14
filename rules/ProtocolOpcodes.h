// What the rules need to know of an opcode, inline for the module's hooks, which ask it on every
// call: whether it sets the instance up, whether hosts read the record again after it, how
// much room its text has, and whether any rule looks at its return.
#pragma once

#include "vst/VstInterface.h"

#include <cstdint>

namespace rules
{
// The opcodes that set the instance up: a process call must not run beside them.
constexpr bool isSetup(int32_t opcode) noexcept
{
    return opcode == effMainsChanged || opcode == effSetSampleRate || opcode == effSetBlockSize ||
           opcode == effClose;
}

// Hosts read the record again after these: a change made inside them needs no audioMasterIOChanged.
constexpr bool announcesChanges(int32_t opcode) noexcept
{
    switch (opcode)
    {
    case effOpen:
    case effMainsChanged:
    case effSetSampleRate:
    case effSetBlockSize:
    case effSetBlockSizeAndSampleRate:
    case effSetProcessPrecision:
    case effSetSpeakerArrangement:
    case effSetChunk:
    case effSetProgram:
        return true;
    default:
        return false;
    }
}

// The documented room of a text, without its NUL; 0 where none is documented.
constexpr int32_t textRoom(uint8_t function, int32_t opcode) noexcept
{
    if (function == fnAudioMaster)
        return opcode == audioMasterGetVendorString || opcode == audioMasterGetProductString ? 64
                                                                                             : 0;
    switch (opcode)
    {
    case effGetParamName:
    case effGetParamLabel:
    case effGetParamDisplay:
        return 8;
    case effGetProgramName:
    case effGetProgramNameIndexed:
    case effSetProgramName:
        return 24;
    case effGetEffectName:
        return 32;
    case effGetVendorString:
    case effGetProductString:
        return 64;
    default:
        return 0;
    }
}

// Whether hosts read the plug-in's record again after this call: a change made inside it is
// announced.
constexpr bool announces(uint8_t function, int32_t opcode) noexcept
{
    return function == fnDispatcher && announcesChanges(opcode);
}

// Whether any rule looks at this call's return: a feeder may leave out the others' returns.
constexpr bool judgesReturn(uint8_t function, int32_t opcode) noexcept
{
    switch (function)
    {
    case fnDispatcher:
        return isSetup(opcode) || announcesChanges(opcode) || opcode == effProcessEvents ||
               opcode == effGetChunk || textRoom(function, opcode) > 0;
    case fnAudioMaster:
        return textRoom(function, opcode) > 0;
    case fnSetParameter:
        return false;
    default:
        return true;
    }
}
} // namespace rules
