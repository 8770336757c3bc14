// Detail lines that show what a call's structures hold (MIDI events, time info, speaker
// arrangements, chunks, pin and parameter properties), written right after the call or return
// line they belong to while decodeStructures is on. They read only what the callee reads.
#pragma once

#include "logger/OXLogger.h"
#include "logger/OpCodeCatalogue.h"
#include "vst/VstStructures.h"

// The few opcodes with something to decode; every other call costs nothing more.
constexpr bool decodesCall(VstFunctionIndex function, long opCode) noexcept
{
    if (function == fnAudioMaster)
        return opCode == audioMasterProcessEvents;
    return opCode == effSetChunk || opCode == effProcessEvents ||
           opCode == effSetSpeakerArrangement || opCode == effGetSpeakerArrangement;
}

constexpr bool decodesReturn(VstFunctionIndex function, long opCode) noexcept
{
    if (function == fnAudioMaster)
        return opCode == audioMasterGetTime || opCode == audioMasterGetCurrentProcessLevel ||
               opCode == audioMasterGetLanguage;
    return opCode == effGetChunk || opCode == effGetInputProperties ||
           opCode == effGetOutputProperties || opCode == effGetParameterProperties ||
           opCode == effGetSpeakerArrangement;
}

void decodeCall(OXLogger& logger, VstFunctionIndex function, long opCode, long value,
                void* ptr) noexcept;
void decodeReturn(OXLogger& logger, VstFunctionIndex function, long opCode, void* ptr,
                  long result) noexcept;

// Called right after a call or return line was written.
inline void reportCallDetails(OXLogger& logger, VstFunctionIndex function, long opCode, long value,
                              void* ptr) noexcept
{
    if (decodesCall(function, opCode) && logger.decodeStructures.load(std::memory_order_relaxed))
        decodeCall(logger, function, opCode, value, ptr);
}

inline void reportReturnDetails(OXLogger& logger, VstFunctionIndex function, long opCode, void* ptr,
                                long result) noexcept
{
    if (decodesReturn(function, opCode) && logger.decodeStructures.load(std::memory_order_relaxed))
        decodeReturn(logger, function, opCode, ptr, result);
}
