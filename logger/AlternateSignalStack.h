// A signal stack of its own for one of Oplexa's threads, for as long as the object lives, so
// that a crash handler can run there even when the thread's stack is what failed.
#pragma once

#include <memory>

class AlternateSignalStack
{
public:
    // Does nothing on a thread that has one already.
    AlternateSignalStack() noexcept;
    ~AlternateSignalStack();
    AlternateSignalStack(const AlternateSignalStack&) = delete;
    AlternateSignalStack& operator=(const AlternateSignalStack&) = delete;

private:
    std::unique_ptr<char[]> memory;
};
