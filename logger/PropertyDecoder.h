// Detail lines for speaker arrangements, pin properties and parameter properties.
#pragma once

#include "logger/OXLogger.h"

namespace detail
{
// Speaker arrangements, pin and parameter properties.
void decodeArrangement(OXLogger& logger, const char* which, const void* arrangement) noexcept;
// GetSpeakerArrangement's return: the plug-in's pointers are stored at inputAt and outputAt.
void decodeArrangementsAt(OXLogger& logger, const void* inputAt, const void* outputAt,
                          long result) noexcept;
void decodePin(OXLogger& logger, const void* ptr, long result) noexcept;
void decodeParameter(OXLogger& logger, const void* ptr, long result) noexcept;
} // namespace detail
