// What a caught exception says, for the "Caught an exception in PLACE: WHAT" lines.
#pragma once

#include "logger/ExceptionText.h"

class OXLogger;

// "Caught an exception in PLACE: WHAT", WHAT escaped as any text from outside is. Only inside a
// catch block.
void logCaught(OXLogger& logger, const char* place) noexcept;
