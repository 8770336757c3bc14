// What the logger has once per process, in one object: the output every session's lines go to,
// and what the call reports keep per thread or per second. The one instance, processLog, lives in
// static storage from the module's load to its unload, so it outlives every session and its
// logger. It is built without code running at load (no member needs a constructor): a line
// written before anything else runs finds it in place. The bridge may hold a reference to it.
#pragma once

#include "logger/LogWriter.h"
#include "logger/ThreadSlots.h"

#include <atomic>
#include <climits>
#include <cstdint>
#include <memory>
#include <unistd.h>

struct ProcessLog
{
    // The queue and the writer thread that empties it: one at a time, while output is started.
    struct QueuedOutput
    {
        QueuedOutput(size_t queueBytes, int fd, const std::string& name, LogWriter::BeginLine begin)
            : queue(queueBytes), writer(queue, fd, name, begin)
        {
        }
        LogQueue queue;
        LogWriter writer;
    };
    // Whether a thread has processed audio: such a thread never waits for room in the queue.
    struct ThreadRole
    {
        std::atomic<int> owner{0};
        bool processes = false;
        void clear() noexcept { processes = false; }
    };
    // A return report does not get the call's value, which GetSpeakerArrangement hands its input
    // arrangement back through; the call leaves it here for the return on the same thread.
    struct PendingArrangement
    {
        std::atomic<int> owner{0};
        const void* ptr = nullptr;
        long value = 0;
        void clear() noexcept
        {
            ptr = nullptr;
            value = 0;
        }
    };

    // The output (LogSink.cpp). Started and stopped on the host's thread that starts and ends a
    // session, never at once.
    std::atomic<int> sinkFd{STDOUT_FILENO};
    std::atomic<QueuedOutput*> activeOutput{nullptr};
    // The thread that crashed while the writer holds still since, or 0: its next line shows that
    // the process lives on (its host jumped out of the crash), while a dying process never logs
    // on it again.
    std::atomic<int> crashedThread{0};
    std::unique_ptr<QueuedOutput> output;
    std::atomic<bool> started{false};
    // Set with the output, read only while it runs; empty for standard output. A longer path
    // than this is no file open(2) opens.
    char destinationName[PATH_MAX] = {};
    // Threads that may hold the active output, or the log file's descriptor: counted before they
    // load it, so that stopping can wait until none holds the one it takes away.
    alignas(64) std::atomic<int> producers{0};
    alignas(64) std::atomic<int> fileWriters{0};
    // Per thread (LogSink.cpp), off the counters' cache lines.
    alignas(64) threadSlots::Table<ThreadRole, 1024> roles;

    // The call reports (CallReports.cpp).
    threadSlots::Table<PendingArrangement, 1024> pendingArrangements;

    // The local hour and minute of the last second a line was stamped in, packed with that
    // second (OXLogger.cpp). juce::Time's getHours and getMinutes each call localtime_r, which
    // takes glibc's time zone lock; this way it runs about once a second instead of twice a line.
    std::atomic<uint64_t> stampedSecond{UINT64_MAX};
};

// At namespace scope, not handed round: the crash handler writes the queued lines through it and
// can be passed nothing, and a hosted plug-in's thread may log after every session has ended.
extern ProcessLog processLog;
