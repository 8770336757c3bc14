// The two system calls every layer repeats: writing until done, and sleeping. Both are
// async-signal-safe (no allocation, no lock), so a crash handler may use them too.
#pragma once

#include <chrono>
#include <cstddef>
#include <sys/uio.h>

namespace safeCalls
{
// Asked before each write; false gives up. A destination that may say EAGAIN (a non-blocking
// FIFO) needs one, which waits until it takes bytes again.
struct WriteWait
{
    bool (*writable)(void* context) noexcept = nullptr;
    void* context = nullptr;
};

// Writes every byte of iov[0] to iov[count - 1] to fd, going on after a partial write and after
// EINTR, and after EAGAIN when wait is given. Returns 0 once all is written, else the error that
// stopped it: the write's errno, EIO for a write that took nothing, ECANCELED when wait gave up.
// Rewrites iov as it goes.
int writeAll(int fd, iovec* iov, size_t count, WriteWait wait = {}) noexcept;

// Sleeps the whole span, also when a signal interrupts it.
void sleepFor(std::chrono::nanoseconds span) noexcept;
} // namespace safeCalls
