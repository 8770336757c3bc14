#include "logger/LogWriter.h"

#include "logger/AlternateSignalStack.h"
#include "logger/SafeCalls.h"
#include "logger/ThreadSlots.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <linux/futex.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace
{
constexpr size_t kBatchLines = 64;
// A pipe takes a write of up to PIPE_BUF bytes whole once poll calls it writable, so a
// destination that stops reading can never block the writer in write(2) past the stop limit.
constexpr size_t kPipeBatchBytes = PIPE_BUF;
constexpr size_t kFileBatchBytes = 256 * 1024;
// While idle polls stay under this, the writer looks every millisecond; then it sleeps.
constexpr int kIdlePollsBeforeSleep = 50;
// How long the crash handler waits for the writer to finish its batch.
constexpr int kCrashHoldWaitMs = 500;
// A process that lives on after its crash logs again at the latest this long after it, even if
// the thread that crashed never logs again.
constexpr int64_t kResumeAfterCrashNs = 5000 * 1000000LL;
constexpr uint32_t kCrashHold = 1;
constexpr uint32_t kCrashHeld = 2;

int64_t nowNs() noexcept
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

long futex(std::atomic<uint32_t>& word, int operation, uint32_t value,
           const timespec* timeout) noexcept
{
    return syscall(SYS_futex, reinterpret_cast<uint32_t*>(&word), operation, value, timeout,
                   nullptr, 0);
}

void writeToStandardError(const char* text) noexcept
{
    iovec whole{const_cast<char*>(text), std::strlen(text)};
    safeCalls::writeAll(STDERR_FILENO, &whole, 1);
}
} // namespace

LogWriter::LogWriter(LogQueue& lineQueue, int destinationFd, std::string destinationName,
                     BeginLine beginLine)
    : queue(lineQueue), fd(destinationFd), destination(std::move(destinationName)),
      begin(beginLine), batchBytes(kPipeBatchBytes)
{
    struct stat status
    {
    };
    if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode))
        batchBytes = kFileBatchBytes;
}

LogWriter::~LogWriter()
{
    stop();
}

void LogWriter::start()
{
    thread = std::thread([this] { run(); });
}

void LogWriter::stop(std::chrono::milliseconds drainLimit)
{
    if (!thread.joinable())
        return;
    deadlineNs.store(nowNs() + std::chrono::nanoseconds(drainLimit).count(),
                     std::memory_order_relaxed);
    stopping.store(true, std::memory_order_release);
    asleep.store(0, std::memory_order_relaxed);
    futex(asleep, FUTEX_WAKE_PRIVATE, 1, nullptr);
    thread.join();
}

void LogWriter::notify() noexcept
{
    // Pairs with the fence in sleepUntilNotified: either this sees the writer asleep, or the
    // writer sees the line just published.
    std::atomic_thread_fence(std::memory_order_seq_cst);
    if (asleep.load(std::memory_order_relaxed) != 0 &&
        asleep.exchange(0, std::memory_order_relaxed) != 0)
        futex(asleep, FUTEX_WAKE_PRIVATE, 1, nullptr);
}

bool LogWriter::pastDeadline() const noexcept
{
    return stopping.load(std::memory_order_acquire) &&
           nowNs() >= deadlineNs.load(std::memory_order_relaxed);
}

void LogWriter::sleepUntilNotified() noexcept
{
    asleep.store(1, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_seq_cst);
    if (!queue.hasPublished() && !stopping.load(std::memory_order_acquire) &&
        crashState.load(std::memory_order_relaxed) == 0)
    {
        const timespec limit{1, 0};
        futex(asleep, FUTEX_WAIT_PRIVATE, 1, &limit);
    }
    asleep.store(0, std::memory_order_relaxed);
}

void LogWriter::run() noexcept
{
    // A reader that closed the pipe ends this destination, not the host.
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);
    const AlternateSignalStack signalStack;
    writerThread.store(threadSlots::currentThread(), std::memory_order_relaxed);

    int idlePolls = 0;
    for (;;)
    {
        if (crashState.load(std::memory_order_acquire) != 0)
            waitOutCrash();
        const bool finishing = stopping.load(std::memory_order_acquire);
        const size_t lines = writeBatch();
        writeDroppedLine();
        if (lines > 0)
        {
            idlePolls = 0;
            // The queue ran dry: let lines gather for the next batch. A batch cut short by the
            // byte limit (a pipe's takes PIPE_BUF) goes on at once.
            if (lines < kBatchLines && !queue.hasPublished())
                safeCalls::sleepFor(1ms);
            continue;
        }
        if (finishing && !queue.hasPublished())
            break;
        if (++idlePolls < kIdlePollsBeforeSleep)
            safeCalls::sleepFor(1ms);
        else
            sleepUntilNotified();
    }
    if (timedOut)
    {
        char text[256];
        std::snprintf(text, sizeof text,
                      "Oplexa dropped %llu log lines: %s accepted nothing until the log stopped\n",
                      static_cast<unsigned long long>(lostAtTimeout), destination.c_str());
        writeToStandardError(text);
    }
}

size_t LogWriter::writeBatch() noexcept
{
    iovec iov[kBatchLines];
    const LogQueue::Batch batch = queue.peek(iov, kBatchLines, batchBytes);
    takenEnd.store(batch.end, std::memory_order_release);
    if (batch.lines > 0 && (failed || !writeAll(iov, batch.lines)))
    {
        // Counted as lost: their bytes, or the rest of them, never reached the destination.
        lost.fetch_add(batch.lines, std::memory_order_relaxed);
        if (timedOut)
            lostAtTimeout += batch.lines;
    }
    queue.release(batch.end);
    return batch.lines;
}

void LogWriter::writeDroppedLine() noexcept
{
    const uint64_t dropped = queue.takeDropped();
    if (dropped == 0)
        return;
    if (failed || timedOut)
    {
        lost.fetch_add(dropped, std::memory_order_relaxed);
        lostAtTimeout += timedOut ? dropped : 0;
        return;
    }
    LineBuffer line;
    begin(line);
    line.append(kDroppedFormat, static_cast<unsigned long long>(dropped));
    iovec iov{const_cast<char*>(line.c_str()), line.finishLine()};
    writeAll(&iov, 1);
}

bool LogWriter::waitWritable() noexcept
{
    for (;;)
    {
        if (timedOut || pastDeadline())
        {
            timedOut = true;
            return false;
        }
        pollfd target{fd, POLLOUT, 0};
        const int ready = poll(&target, 1, 100);
        if (ready > 0 || (ready < 0 && errno != EINTR))
            return true; // the write that follows reports any fault
    }
}

bool LogWriter::writeAll(iovec* iov, size_t count) noexcept
{
    if (failed || timedOut)
        return false;
    const safeCalls::WriteWait wait{[](void* writer) noexcept
                                    { return static_cast<LogWriter*>(writer)->waitWritable(); },
                                    this};
    const int error = safeCalls::writeAll(fd, iov, count, wait);
    if (error != 0 && !timedOut)
        fail(error);
    return error == 0;
}

uint64_t LogWriter::holdForCrash() noexcept
{
    crashState.store(kCrashHold, std::memory_order_seq_cst);
    asleep.store(0, std::memory_order_relaxed);
    futex(asleep, FUTEX_WAKE_PRIVATE, 1, nullptr);
    if (writerThread.load(std::memory_order_relaxed) != threadSlots::currentThread())
        for (int waited = 0; waited < kCrashHoldWaitMs; ++waited)
        {
            if (crashState.load(std::memory_order_acquire) == kCrashHeld)
                return queue.released();
            safeCalls::sleepFor(1ms);
        }
    // The writer is this very thread, or still writing: its batch stays its own.
    return takenEnd.load(std::memory_order_acquire);
}

void LogWriter::resumeAfterCrash(uint64_t end) noexcept
{
    crashWrittenTo.store(end, std::memory_order_release);
    resumeNs.store(nowNs() + kResumeAfterCrashNs, std::memory_order_release);
}

void LogWriter::resumeNow() noexcept
{
    resumeNs.store(0, std::memory_order_release);
}

void LogWriter::waitOutCrash() noexcept
{
    crashState.store(kCrashHeld, std::memory_order_release);
    while (!stopping.load(std::memory_order_acquire) &&
           nowNs() < resumeNs.load(std::memory_order_acquire))
        safeCalls::sleepFor(10ms);
    const uint64_t written = crashWrittenTo.load(std::memory_order_acquire);
    if (written > queue.released())
        queue.release(written);
    crashState.store(0, std::memory_order_relaxed);
}

void LogWriter::fail(int error) noexcept
{
    failed = true;
    char text[1024];
    std::snprintf(text, sizeof text,
                  "Oplexa stopped writing log lines to %s (%s); later lines are dropped\n",
                  destination.c_str(), std::strerror(error));
    writeToStandardError(text);
}
