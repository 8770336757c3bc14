// Where finished lines go: through the log queue to the writer thread, or, with direct output
// and while no output is started, written by the calling thread itself before its call goes on.
#pragma once

#include "logger/LogWriter.h"

#include <cstddef>
#include <string>

struct LogOutputOptions
{
    std::string file; // empty: standard output
    bool direct = false;
    size_t queueBytes = 4096 * 1024;
};

// Opens the destination (a file is appended to) and, unless direct, starts the writer thread.
// When the file can't be opened, one line on standard output says so and lines go there.
void startLogOutput(const LogOutputOptions& options, LogWriter::BeginLine beginLine);
// Writes what the queue holds, stops the writer and closes the file. Lines sent afterwards are
// written directly to standard output; or, with keepDestination (the process is exiting and
// other threads may still log), directly to the same destination. The queue and the file go
// only once no thread still pushes into or writes to them (waited for 2 seconds at most).
void stopLogOutput(bool keepDestination = false) noexcept;
// From the end of startLogOutput to the start of stopLogOutput.
bool logOutputStarted() noexcept;
// "standard output", or the log file's path, with " (written directly)" for direct output.
std::string logDestination();

// One finished line: queued, or written directly.
void sendLogLine(const char* line, size_t length) noexcept;
// Writes one whole line to the destination with a single write call.
void writeLogLine(const char* line, size_t length) noexcept;

// Called on every process call: such a thread never waits for room in the queue.
void markProcessThread() noexcept;

// After a crash, from the signal handler: stops the writer, writes what the queue holds, then
// the line, with async-signal-safe calls only.
void writeQueuedAndLineAfterCrash(const char* line, size_t length) noexcept;
