// What a caught exception says, for the "Caught an exception in PLACE: WHAT" lines.
#pragma once

class OXLogger;

// The text of the exception being handled: its what(), or a fixed text for anything that is not
// a std::exception. Only inside a catch block; the text lives as long as that block.
const char* caughtText() noexcept;

// "Caught an exception in PLACE: WHAT", WHAT escaped as any text from outside is. Only inside a
// catch block.
void logCaught(OXLogger& logger, const char* place) noexcept;
