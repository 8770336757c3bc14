// The names of calls in the lines about them: "processReplacing", "effProcessEvents".
#pragma once

#include "logger/LineBuffer.h"

#include <cstdint>

// Allocates nothing: a crash handler uses it too.
void appendCallName(LineBuffer& line, int32_t call) noexcept;
// An opcode of one of the logger's groups by name ("effOpen", "audioMasterAutomate",
// "processReplacing"); one outside its group as "dispatcher opcode 99".
void appendOpcodeName(LineBuffer& line, int group, int32_t opcode) noexcept;
