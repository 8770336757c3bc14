// `oplexa stats FILE [--json] [--svg OUT.svg]`: how long the plug-in took per function, opcode and
// thread, and how much of the real-time budget its audio used, read as the file streams.
#pragma once

#include <string>

namespace oplexa
{
struct StatsOptions
{
    std::string recording;
    bool json = false;
    std::string svg; // empty: no picture
};

// The exit codes of `oplexa print`: 0, 8 unreadable, 9 ends early (the stats are of what was
// read); 6 when the picture can't be written.
int stats(const StatsOptions& options);
} // namespace oplexa
