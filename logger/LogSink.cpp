#include "logger/LogSink.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <unistd.h>

namespace
{
// Set once on the host's thread at start-up, before any forwarded call can log.
std::atomic<int> sinkFd{STDOUT_FILENO};

void openNamedFile() noexcept;
} // namespace

void openLogSink() noexcept
{
    // Every thread that logs first waits for the file to be open.
    static std::once_flag opened;
    try
    {
        std::call_once(opened, openNamedFile);
    }
    catch (...)
    {
    }
}

namespace
{
void openNamedFile() noexcept
{
    const char* name = std::getenv("OPLEXA_LOG_FILE");
    if (name == nullptr || *name == '\0')
        return;
    const int fd = ::open(name, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0)
    {
        char line[1024];
        const int n = std::snprintf(line, sizeof line,
                                    "Oplexa could not open the log file %s (%s); logging to "
                                    "standard output\n",
                                    name, std::strerror(errno));
        if (n > 0)
            writeLogLine(line, static_cast<size_t>(n) < sizeof line ? static_cast<size_t>(n)
                                                                    : sizeof line - 1);
        return;
    }
    sinkFd.store(fd, std::memory_order_relaxed);
}
} // namespace

void writeLogLine(const char* line, size_t length) noexcept
{
    const int fd = sinkFd.load(std::memory_order_relaxed);
    while (length > 0)
    {
        const ssize_t written = ::write(fd, line, length);
        if (written < 0)
        {
            if (errno == EINTR)
                continue;
            return;
        }
        line += written;
        length -= static_cast<size_t>(written);
    }
}
