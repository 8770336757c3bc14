// Where finished lines go: standard output, or the file that OPLEXA_LOG_FILE names.
#pragma once

#include <cstddef>

// Opens the file named by OPLEXA_LOG_FILE on the first call; later calls do nothing. When the
// file can't be opened, one line on standard output says so and lines stay there.
void openLogSink() noexcept;

// Writes one whole line with a single write call.
void writeLogLine(const char* line, size_t length) noexcept;
