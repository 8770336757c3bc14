#include "logger/LogSink.h"

#include "logger/ExceptionText.h"
#include "logger/ProcessLog.h"
#include "logger/SafeCalls.h"
#include "logger/ThreadSlots.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace
{
// A thread that is not an audio thread may wait this long for room before its line is dropped.
constexpr int kRoomWaitMs = 100;
// How long stopping the output waits for threads still pushing into it or writing to the file;
// past that the output or the file is left in place rather than freed under them.
constexpr int kHoldersWaitMs = 2000;

using QueuedOutput = ProcessLog::QueuedOutput;
using ThreadRole = ProcessLog::ThreadRole;

// Holds what shared held when it was counted, for as long as it lives. The value lasting is
// never taken away, and not counted.
template <typename T> class Held
{
public:
    Held(const std::atomic<T>& shared, std::atomic<int>& holders, T lasting) noexcept
        : users(holders)
    {
        users.fetch_add(1, std::memory_order_seq_cst);
        value = shared.load(std::memory_order_seq_cst);
        counted = value != lasting;
        if (!counted)
            users.fetch_sub(1, std::memory_order_release);
    }
    ~Held()
    {
        if (counted)
            users.fetch_sub(1, std::memory_order_release);
    }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
    T get() const noexcept { return value; }

private:
    std::atomic<int>& users;
    T value;
    bool counted;
};

bool waitUntilUnheld(const std::atomic<int>& users) noexcept
{
    for (int waited = 0; waited < kHoldersWaitMs; ++waited)
    {
        if (users.load(std::memory_order_acquire) == 0)
            return true;
        safeCalls::sleepFor(std::chrono::milliseconds(1));
    }
    return false;
}

bool waitForRoom(QueuedOutput& queued, const char* line, size_t length) noexcept
{
    // After a crash the writer takes nothing for a while: waiting would only slow the host.
    if (queued.writer.heldForCrash())
        return false;
    if (const ThreadRole* role = processLog.roles.find(threadSlots::currentThread());
        role && role->processes)
        return false;
    for (int waited = 0; waited < kRoomWaitMs; ++waited)
    {
        queued.writer.notify();
        safeCalls::sleepFor(std::chrono::milliseconds(1));
        if (queued.queue.tryPush(line, length))
            return true;
    }
    return false;
}

int openDestination(const std::string& file) noexcept
{
    if (file.empty())
        return STDOUT_FILENO;
    // A FIFO without a reader fails at once (ENXIO) instead of blocking the host's entry call;
    // the flag is cleared again, so that writes wait for a reader as before.
    const int fd =
        ::open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NONBLOCK, 0644);
    if (fd >= 0)
    {
        const int flags = fcntl(fd, F_GETFL);
        if (flags >= 0)
            fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
        return fd;
    }
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
    processLog.sinkFd.store(fd, std::memory_order_relaxed);
    std::snprintf(processLog.destinationName, sizeof processLog.destinationName, "%s",
                  fd == STDOUT_FILENO ? "" : options.file.c_str());
    if (options.direct)
    {
        processLog.started = true;
        return;
    }
    processLog.output = std::make_unique<QueuedOutput>(
        options.queueBytes, fd, fd == STDOUT_FILENO ? "standard output" : options.file, beginLine);
    processLog.output->writer.start();
    processLog.activeOutput.store(processLog.output.get(), std::memory_order_release);
    processLog.started = true;
}

bool logOutputStarted() noexcept
{
    return processLog.started;
}

std::string logDestination()
{
    const char* name = processLog.destinationName;
    return std::string(*name != '\0' ? name : "standard output") +
           (processLog.activeOutput.load() == nullptr ? " (written directly)" : "");
}

void stopLogOutput(bool keepDestination) noexcept
{
    processLog.started = false;
    try
    {
        processLog.activeOutput.store(nullptr, std::memory_order_seq_cst);
        // A thread that took the output a moment ago may still push, waiting for room.
        const bool unused = waitUntilUnheld(processLog.producers);
        if (processLog.output != nullptr)
            processLog.output->writer.stop();
        if (!unused)
            (void)processLog.output.release();
        processLog.output.reset();
    }
    catch (...)
    {
        // The output stays as it is; the line goes out directly, as every line now does.
        LineBuffer line;
        if (processLog.output != nullptr)
            processLog.output->writer.beginOwnLine(line);
        line.appendLiteral("Caught an exception in stopLogOutput: ");
        line.appendEscapedText(caughtText());
        const size_t length = line.finishLine();
        writeLogLine(line.c_str(), length);
    }
    if (keepDestination)
        return;
    const int fd = processLog.sinkFd.exchange(STDOUT_FILENO, std::memory_order_seq_cst);
    if (fd != STDOUT_FILENO && waitUntilUnheld(processLog.fileWriters))
        ::close(fd);
}

void sendLogLine(const char* line, size_t length) noexcept
{
    const Held<QueuedOutput*> held(processLog.activeOutput, processLog.producers, nullptr);
    QueuedOutput* queued = held.get();
    if (queued == nullptr)
    {
        writeLogLine(line, length);
        return;
    }
    if (__builtin_expect(processLog.crashedThread.load(std::memory_order_relaxed) != 0, 0) &&
        processLog.crashedThread.load(std::memory_order_relaxed) == threadSlots::currentThread())
    {
        processLog.crashedThread.store(0, std::memory_order_relaxed);
        queued->writer.resumeNow();
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
    const Held<int> held(processLog.sinkFd, processLog.fileWriters, STDOUT_FILENO);
    const int fd = held.get();
    iovec whole{const_cast<char*>(line), length};
    safeCalls::writeAll(fd, &whole, 1);
}

void markProcessThread() noexcept
{
    // Written once: threads next to each other in the table share a cache line.
    if (ThreadRole* role = processLog.roles.mine(); role != nullptr && !role->processes)
        role->processes = true;
}

void writeQueuedAndLineAfterCrash(const char* line, size_t length) noexcept
{
    const Held<QueuedOutput*> held(processLog.activeOutput, processLog.producers, nullptr);
    QueuedOutput* queued = held.get();
    if (queued == nullptr)
    {
        writeLogLine(line, length);
        return;
    }
    // The writer stops taking lines first, so that each line is written once.
    const uint64_t from = queued->writer.holdForCrash();
    const uint64_t end =
        queued->queue.writePublished(from, processLog.sinkFd.load(std::memory_order_relaxed));
    writeLogLine(line, length);
    queued->writer.resumeAfterCrash(end);
    processLog.crashedThread.store(threadSlots::currentThread(), std::memory_order_relaxed);
}
