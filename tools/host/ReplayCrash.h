// Names the replayed call a crash happens in: a signal in the plug-in while a replay thread
// makes a call prints one line naming the call as --print does, then ends the process with the
// same signal, so that a shell or a debugger sees the crash as before.
#pragma once

#include "record/RecordReader.h"

#include <memory>

namespace host
{
// Installs the handlers; they write to fd. Once per process.
void catchReplayCrashes(int fd) noexcept;

// The call the calling thread makes from now on; null when it makes none.
void setCrashingCall(size_t ordinal, const recordFormat::Record* call) noexcept;

// A signal stack of the calling replay thread's own while it lives, so that a stack overflow
// still prints the line.
class ReplayCrashStack
{
public:
    ReplayCrashStack();
    ~ReplayCrashStack();
    ReplayCrashStack(const ReplayCrashStack&) = delete;
    ReplayCrashStack& operator=(const ReplayCrashStack&) = delete;

private:
    std::unique_ptr<char[]> memory;
};
} // namespace host
