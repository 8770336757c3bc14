// Detail lines that show what a call's structures hold (MIDI events, time info, speaker
// arrangements, chunks, pin and parameter properties), written right after the call or return
// line they belong to. They read only what the callee reads. Free of JUCE: the log writes them
// for live calls, oplexa-host for recorded ones.
#pragma once

#include "logger/DetailText.h"
#include "vst/OpCodeTable.h"

// The few calls with something to decode; every other call costs nothing more.
constexpr bool decodesCall(VstFunctionIndex function, long opCode) noexcept
{
    const Carried carried = carriedIn(function, opCode);
    return carried == Carried::chunkIn || carried == Carried::events ||
           carried == Carried::arrangements;
}

constexpr bool decodesReturn(VstFunctionIndex function, long opCode) noexcept
{
    const Carried carried = carriedOut(function, opCode);
    return carried != Carried::nothing && carried != Carried::rectangle &&
           carried != Carried::directoryText;
}

void decodeCall(detail::DetailLines& out, VstFunctionIndex function, long opCode, long value,
                void* ptr) noexcept;
// value is the call's: GetSpeakerArrangement hands its input arrangement back through it.
void decodeReturn(detail::DetailLines& out, VstFunctionIndex function, long opCode, long value,
                  void* ptr, long result) noexcept;
