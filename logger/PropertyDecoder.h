// Detail lines for speaker arrangements, pin properties and parameter properties.
#pragma once

#include "logger/DetailText.h"

namespace detail
{
// Speaker arrangements, pin and parameter properties.
void decodeArrangement(DetailLines& out, const char* which, const void* arrangement) noexcept;
// GetSpeakerArrangement's return: the plug-in's pointers are stored at inputAt and outputAt.
void decodeArrangementsAt(DetailLines& out, const void* inputAt, const void* outputAt,
                          long result) noexcept;
void decodePin(DetailLines& out, const void* ptr, long result) noexcept;
void decodeParameter(DetailLines& out, const void* ptr, long result) noexcept;
} // namespace detail
