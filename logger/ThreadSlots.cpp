#include "logger/ThreadSlots.h"

#include <cerrno>
#include <sys/syscall.h>
#include <unistd.h>

namespace threadSlots
{
// Checked once, on the thread that loads the module. Not part of processLog: every table of
// per-thread values reads it, the crash handler's included, below anything that could hold it.
bool descriptorHoldsId = descriptorId() == idBySystemCall();

int idBySystemCall() noexcept
{
    return static_cast<int>(syscall(SYS_gettid));
}

bool threadRuns(int id) noexcept
{
    return syscall(SYS_tgkill, getpid(), id, 0) == 0 || errno != ESRCH;
}
} // namespace threadSlots
