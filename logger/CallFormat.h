// The text of call and return lines, built from an opcode's catalogue entry.
#pragma once

#include "logger/LineBuffer.h"
#include "logger/OpCodeCatalogue.h"

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
