// The text of call and return lines, built from an opcode's row of the opcode table.
#pragma once

#include "logger/LineBuffer.h"
#include "vst/OpCodeTable.h"

// Shown instead of a text argument whose pointer is null.
constexpr const char* kNullTextMarker = "<null>";

void formatCallLine(LineBuffer& line, const char* prefix, const VstOpCodeInfo& info, long index,
                    long value, void* ptr, float opt, bool withParameters) noexcept;

// Only dispatcher returns know the editor rectangle; audioMaster returns print the pointer.
void formatReturnLine(LineBuffer& line, const char* prefix, const VstOpCodeInfo& info, void* ptr,
                      long result, bool rectangleKnown) noexcept;

inline bool hasReturnLine(const VstOpCodeInfo& info) noexcept
{
    return info.returnLabel != nullptr || info.ptrIsReturned;
}

// The other functions of the record: process calls, setParameter and getParameter.
void formatProcessLine(LineBuffer& line, VstFunctionIndex function, const void* inputs,
                       const void* outputs, long sampleFrames, bool withParameters) noexcept;
void formatSetParameterLine(LineBuffer& line, long index, float parameter,
                            bool withParameters) noexcept;
void formatGetParameterLine(LineBuffer& line, long index, bool withParameters) noexcept;
void formatGetParameterReturnLine(LineBuffer& line, float value) noexcept;
