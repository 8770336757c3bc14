// `oplexa trace FILE OUT.json`: a recording as a timeline for the Perfetto UI and chrome://tracing,
// written as the file is read. Returns the exit code: 0 written, 8 unreadable, 9 the recording
// ends early (the trace goes up to there), 1 when OUT can't be written.
#pragma once

#include <string>

namespace oplexa
{
struct TraceOptions
{
    std::string recording;
    std::string output;
    double fromSeconds = 0;
    double toSeconds = -1; // below 0: to the end
};

int trace(const TraceOptions& options);
} // namespace oplexa
