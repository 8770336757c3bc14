#include "logger/LogSink.h"

#include "logger/ThreadSlots.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace
{
// A thread that is not an audio thread may wait this long for room before its line is dropped.
constexpr int kRoomWaitMs = 100;

struct QueuedOutput
{
    QueuedOutput(size_t queueBytes, int fd, const std::string& name, LogWriter::BeginLine begin)
        : queue(queueBytes), writer(queue, fd, name, begin)
    {
    }
    LogQueue queue;
    LogWriter writer;
};

// Started and stopped on the host's thread that starts and ends the session, never at once.
std::atomic<int> sinkFd{STDOUT_FILENO};
std::atomic<QueuedOutput*> activeOutput{nullptr};
std::unique_ptr<QueuedOutput> output;
std::atomic<bool> started{false};
// Set with the output, read only while it runs.
std::string destinationName = "standard output";

// Whether each thread has processed audio.
struct ThreadRole
{
    std::atomic<int> owner{0};
    bool processes = false;
    void clear() noexcept { processes = false; }
};
threadSlots::Table<ThreadRole, 1024> roles;

bool waitForRoom(QueuedOutput& queued, const char* line, size_t length) noexcept
{
    if (const ThreadRole* role = roles.find(threadSlots::currentThread()); role && role->processes)
        return false;
    for (int waited = 0; waited < kRoomWaitMs; ++waited)
    {
        queued.writer.notify();
        const timespec pause{0, 1000000};
        nanosleep(&pause, nullptr);
        if (queued.queue.tryPush(line, length))
            return true;
    }
    return false;
}

int openDestination(const std::string& file) noexcept
{
    if (file.empty())
        return STDOUT_FILENO;
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd >= 0)
        return fd;
    char line[1024];
    const int n = std::snprintf(line, sizeof line,
                                "Oplexa could not open the log file %s (%s); logging to "
                                "standard output\n",
                                file.c_str(), std::strerror(errno));
    if (n > 0)
        writeLogLine(line, static_cast<size_t>(n) < sizeof line ? static_cast<size_t>(n)
                                                                : sizeof line - 1);
    return STDOUT_FILENO;
}
} // namespace

void startLogOutput(const LogOutputOptions& options, LogWriter::BeginLine beginLine)
{
    stopLogOutput();
    const int fd = openDestination(options.file);
    sinkFd.store(fd, std::memory_order_relaxed);
    destinationName = fd == STDOUT_FILENO ? "standard output" : options.file;
    if (options.direct)
    {
        started = true;
        return;
    }
    output = std::make_unique<QueuedOutput>(
        options.queueBytes, fd, fd == STDOUT_FILENO ? "standard output" : options.file, beginLine);
    output->writer.start();
    activeOutput.store(output.get(), std::memory_order_release);
    started = true;
}

bool logOutputStarted() noexcept
{
    return started;
}

std::string logDestination()
{
    return destinationName + (activeOutput.load() == nullptr ? " (written directly)" : "");
}

void stopLogOutput(bool keepDestination) noexcept
{
    started = false;
    try
    {
        activeOutput.store(nullptr, std::memory_order_release);
        if (output != nullptr)
            output->writer.stop();
        output.reset();
    }
    catch (...)
    {
    }
    if (keepDestination)
        return;
    const int fd = sinkFd.exchange(STDOUT_FILENO, std::memory_order_relaxed);
    if (fd != STDOUT_FILENO)
        ::close(fd);
}

void sendLogLine(const char* line, size_t length) noexcept
{
    QueuedOutput* queued = activeOutput.load(std::memory_order_acquire);
    if (queued == nullptr)
    {
        writeLogLine(line, length);
        return;
    }
    if (!queued->queue.tryPush(line, length) && !waitForRoom(*queued, line, length))
    {
        queued->queue.countDropped();
        return;
    }
    queued->writer.notify();
}

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

void markProcessThread() noexcept
{
    // Written once: threads next to each other in the table share a cache line.
    if (ThreadRole* role = roles.mine(); role != nullptr && !role->processes)
        role->processes = true;
}

void writeQueuedAndLineAfterCrash(const char* line, size_t length) noexcept
{
    if (QueuedOutput* queued = activeOutput.load(std::memory_order_acquire))
        queued->queue.drainTo(sinkFd.load(std::memory_order_relaxed));
    writeLogLine(line, length);
}
