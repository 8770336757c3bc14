// The names of the calls the gate keeps: "processReplacing", "effProcessEvents".
#pragma once

#include "logger/LineBuffer.h"

#include <cstdint>

// Allocates nothing: a crash handler uses it too.
void appendCallName(LineBuffer& line, int32_t call) noexcept;
