// The thread that takes lines out of the log queue and writes them in batches, so that the
// threads that log never wait for the destination. It polls every millisecond while lines flow
// and sleeps on a futex once none came for a while; the producer that finds it asleep wakes it.
#pragma once

#include "logger/LineBuffer.h"
#include "logger/LogQueue.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

class LogWriter
{
public:
    // Begins one of the writer's own lines with the usual prefix.
    using BeginLine = std::function<void(LineBuffer&)>;

    // destinationName is how the line on standard error names fd when writing to it fails.
    LogWriter(LogQueue& queue, int fd, std::string destinationName, BeginLine beginLine);
    ~LogWriter();

    void start();
    // Writes what is left, waiting at most drainLimit for a destination that accepts nothing,
    // then ends the thread. What could not be written is counted as dropped.
    void stop(std::chrono::milliseconds drainLimit = std::chrono::seconds(3));

    // For producers after a line went in: one system call only when the writer sleeps.
    void notify() noexcept;

    // From the crash handler, async-signal-safe: the writer stops taking lines, waited for a
    // moment at most (not at all when the crash is on its own thread). Returns the position
    // from which no line is the writer's.
    uint64_t holdForCrash() noexcept;
    // The crash handler wrote the lines up to end: the writer takes them out and goes on at
    // resumeNow, or a few seconds later, once the process has lived on past the crash (a host
    // that jumps out of a crashing call).
    void resumeAfterCrash(uint64_t end) noexcept;
    void resumeNow() noexcept;
    bool heldForCrash() const noexcept { return crashState.load(std::memory_order_relaxed) != 0; }

    // Lines lost to the destination: after it failed, or at stop.
    uint64_t linesLost() const noexcept { return lost.load(std::memory_order_relaxed); }

    // Begins a line with the prefix the writer gives its own lines.
    void beginOwnLine(LineBuffer& line) const
    {
        if (begin)
            begin(line);
    }

    static constexpr const char* kDroppedFormat = "Dropped %llu log lines: the log queue was full";

private:
    void run() noexcept;
    size_t writeBatch() noexcept;
    void writeDroppedLine() noexcept;
    // Writes every byte or fails: false once the destination failed or the stop limit passed.
    bool writeAll(iovec* iov, size_t count) noexcept;
    bool waitWritable() noexcept;
    void fail(int error) noexcept;
    void sleepUntilNotified() noexcept;
    bool pastDeadline() const noexcept;
    void waitOutCrash() noexcept;

    LogQueue& queue;
    const int fd;
    const std::string destination;
    const BeginLine begin;
    size_t batchBytes;
    std::thread thread;
    std::atomic<uint32_t> asleep{0};
    std::atomic<bool> stopping{false};
    std::atomic<int64_t> deadlineNs{INT64_MAX};
    std::atomic<uint64_t> lost{0};
    // kCrashHold asked by the crash handler, kCrashHeld once the writer stopped taking lines.
    std::atomic<uint32_t> crashState{0};
    // The writer thread's kernel id, for a crash on that very thread.
    std::atomic<int> writerThread{0};
    // The end of the batch the writer is writing; where it released up to when none.
    std::atomic<uint64_t> takenEnd{0};
    std::atomic<uint64_t> crashWrittenTo{0};
    std::atomic<int64_t> resumeNs{INT64_MAX};
    // The writer thread's own: the destination failed; the stop limit passed.
    bool failed = false;
    bool timedOut = false;
    uint64_t lostAtTimeout = 0;
};
