// Which structure a call carries in and which its return carries out: the one table the
// decoders, the recorder and the replay read, so that what is shown, what is recorded and what
// is replayed cannot drift apart. Texts are not listed: the catalogue's ptrKind says those.
#pragma once

#include "logger/OpCodeCatalogue.h"
#include "vst/VstStructures.h"

enum class Carried : uint8_t
{
    nothing,
    chunkIn,        // effSetChunk: value bytes at ptr
    chunkOut,       // effGetChunk: result bytes at the pointer stored at ptr
    events,         // a VstEvents list at ptr
    arrangements,   // effSetSpeakerArrangement: input at value, output at ptr
    arrangementsAt, // effGetSpeakerArrangement: pointers to them stored at value and ptr
    pinProperties,  // at ptr
    parameterProperties,
    rectangle,     // effEditGetRect: an ERect pointer stored at ptr
    timeInfo,      // audioMasterGetTime: a VstTimeInfo at result
    directoryText, // audioMasterGetDirectory: a text at result
    processLevel,  // the result names a value
    language,
};

constexpr Carried carriedIn(VstFunctionIndex function, long opCode) noexcept
{
    if (function == fnAudioMaster)
        return opCode == audioMasterProcessEvents ? Carried::events : Carried::nothing;
    if (function != fnDispatcher)
        return Carried::nothing;
    switch (opCode)
    {
    case effSetChunk:
        return Carried::chunkIn;
    case effProcessEvents:
        return Carried::events;
    case effSetSpeakerArrangement:
        return Carried::arrangements;
    default:
        return Carried::nothing;
    }
}

constexpr Carried carriedOut(VstFunctionIndex function, long opCode) noexcept
{
    if (function == fnAudioMaster)
        switch (opCode)
        {
        case audioMasterGetTime:
            return Carried::timeInfo;
        case audioMasterGetDirectory:
            return Carried::directoryText;
        case audioMasterGetCurrentProcessLevel:
            return Carried::processLevel;
        case audioMasterGetLanguage:
            return Carried::language;
        default:
            return Carried::nothing;
        }
    if (function != fnDispatcher)
        return Carried::nothing;
    switch (opCode)
    {
    case effGetChunk:
        return Carried::chunkOut;
    case effGetInputProperties:
    case effGetOutputProperties:
        return Carried::pinProperties;
    case effGetParameterProperties:
        return Carried::parameterProperties;
    case effGetSpeakerArrangement:
        return Carried::arrangementsAt;
    case effEditGetRect:
        return Carried::rectangle;
    default:
        return Carried::nothing;
    }
}

// The catalogue entry of an opcode, or null outside both tables.
inline const VstOpCodeInfo* opCodeInfo(VstFunctionIndex function, long opCode) noexcept
{
    if (function == fnDispatcher && opCode >= 0 && opCode < kNumDispatcherOpCodes)
        return &effOpCodes[opCode];
    if (function == fnAudioMaster && opCode >= 0 && opCode < kNumAudioMasterOpCodes)
        return &audioMasterOpCodes[opCode];
    return nullptr;
}
