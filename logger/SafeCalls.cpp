#include "logger/SafeCalls.h"

#include <cerrno>
#include <climits>
#include <ctime>
#include <unistd.h>

namespace safeCalls
{
int writeAll(int fd, iovec* iov, size_t count, WriteWait wait) noexcept
{
    // Nothing to write is done at once, without a call.
    while (count > 0 && iov->iov_len == 0)
    {
        ++iov;
        --count;
    }
    while (count > 0)
    {
        if (wait.writable != nullptr && !wait.writable(wait.context))
            return ECANCELED;
        // One piece goes out with write(2), as a single line always has.
        const int pieces = count < IOV_MAX ? static_cast<int>(count) : IOV_MAX;
        const ssize_t written =
            pieces == 1 ? ::write(fd, iov->iov_base, iov->iov_len) : ::writev(fd, iov, pieces);
        if (written < 0)
        {
            if (errno == EINTR || (errno == EAGAIN && wait.writable != nullptr))
                continue;
            return errno;
        }
        if (written == 0)
            return EIO;
        // Partial: go on from the first byte not written.
        size_t done = static_cast<size_t>(written);
        while (count > 0 && done >= iov->iov_len)
        {
            done -= iov->iov_len;
            ++iov;
            --count;
        }
        if (count > 0)
        {
            iov->iov_base = static_cast<char*>(iov->iov_base) + done;
            iov->iov_len -= done;
        }
    }
    return 0;
}

void sleepFor(std::chrono::nanoseconds span) noexcept
{
    if (span.count() <= 0)
        return;
    timespec left{static_cast<time_t>(span.count() / 1000000000),
                  static_cast<long>(span.count() % 1000000000)};
    while (nanosleep(&left, &left) != 0 && errno == EINTR)
    {
    }
}
} // namespace safeCalls
