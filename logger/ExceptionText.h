// What a caught exception says. Apart from the logger, so that the log output itself, which the
// logger writes through, can name what it caught.
#pragma once

// The text of the exception being handled: its what(), or a fixed text for anything that is not
// a std::exception. Only inside a catch block; the text lives as long as that block.
const char* caughtText() noexcept;
