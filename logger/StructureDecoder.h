// Detail lines that show what a call's structures hold (MIDI events, time info, speaker
// arrangements, chunks, pin and parameter properties), written right after the call or return
// line they belong to while decodeStructures is on. They read only what the callee reads.
#pragma once

#include "logger/LineBuffer.h"
#include "logger/OXLogger.h"
#include "logger/OpCodeCatalogue.h"
#include "vst/VstStructures.h"

#include <cstddef>
#include <cstring>

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

// Shared by the decoders.
namespace detail
{
// The events list of ProcessEvents, in both directions.
void decodeEvents(OXLogger& logger, const void* list) noexcept;

// Bytes in upper-case hex, each after a blank, then " …" when more than shown were given.
void appendHex(LineBuffer& line, const unsigned char* bytes, size_t shown, size_t given) noexcept;

// Speaker arrangements, pin and parameter properties.
void decodeArrangement(OXLogger& logger, const char* which, const void* arrangement) noexcept;
// GetSpeakerArrangement's return: the plug-in's pointers are stored at inputAt and outputAt.
void decodeArrangementsAt(OXLogger& logger, const void* inputAt, const void* outputAt,
                          long result) noexcept;
void decodePin(OXLogger& logger, const void* ptr, long result) noexcept;
void decodeParameter(OXLogger& logger, const void* ptr, long result) noexcept;

// A value without a name in its table shows as a number after unnamed.
void appendNamed(LineBuffer& line, const char* name, long value, const char* unnamed = "") noexcept;

// A structure copied at its own size, wherever it lies.
template <typename Structure> Structure copyOf(const void* ptr) noexcept
{
    Structure copy;
    std::memcpy(&copy, ptr, sizeof(copy));
    return copy;
}

// Names of the set bits joined by '|', the bits without a name in hex; "0" for no bit.
struct FlagName
{
    int32_t bit;
    const char* name;
};
void appendFlags(LineBuffer& line, int32_t flags, const FlagName* names, size_t count) noexcept;

// The name at index, or null outside the table.
template <size_t N> const char* nameAt(const char* const (&names)[N], long index) noexcept
{
    return index >= 0 && static_cast<size_t>(index) < N ? names[index] : nullptr;
}

// At most 64 items of a list are shown; the rest is counted.
constexpr long kMaxShown = 64;
} // namespace detail
