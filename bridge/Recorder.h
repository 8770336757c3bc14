// Records one session's calls to a file for oplexa-host --replay. Calling threads only encode
// into the ring (see record/RecordCapture.h); a writer thread of the recorder's own wraps the
// records and writes them. Off, it costs the forwarders one relaxed load and branch.
#pragma once

#include "record/RecordCapture.h"

#include <atomic>
#include <memory>
#include <string>
#include <thread>

class OXLogger;

class Recorder
{
public:
    Recorder();
    ~Recorder();
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    bool on() const noexcept { return active_.load(std::memory_order_relaxed); }
    bool fullOutputs() const noexcept { return fullOutputs_; }
    RecordRing& ring() noexcept { return *ring_; }
    // The calling thread's number and role; processing marks the audio thread.
    capture::Thread thread(bool processing) noexcept;

    // Opens a new file in folder and starts the writer; says so, or why not, in the log.
    void start(OXLogger& logger, const std::string& folder, const std::string& pluginPath,
               int instance, bool fullOutputs);
    // Writes what is left, and the end marker when the session ended properly.
    void stop(bool properEnd) noexcept;
    // For a crash handler: what the writer has not taken yet, raw. Async-signal-safe.
    size_t drainTo(int fd) const noexcept;
    // The same, into the recording's own file, once the writer thread has stopped writing.
    void drainAfterCrash() noexcept;

private:
    bool openFile(const std::string& folder, const std::string& pluginPath);
    bool writeAll(const uint8_t* data, size_t size) noexcept;
    void writeRecord(const uint8_t* payload, size_t size);
    void pump();
    void pumpRecords();
    void fail(const char* reason) noexcept;
    uint32_t threadNumber() noexcept;

    std::unique_ptr<RecordRing> ring_;
    std::atomic<bool> active_{false};
    std::atomic<bool> running_{false};
    // Sequentially consistent, the two of them: the writer and a crash each see the other's.
    std::atomic<bool> writing_{false};
    std::atomic<bool> crashed_{false};
    std::atomic<uint32_t> generation_{0};
    std::atomic<uint32_t> nextThread_{0};
    // The one number of the threads that find no place of their own to keep theirs in.
    std::atomic<uint32_t> crowdThread_{0};
    std::atomic<uint32_t> firstThread_{0};
    std::atomic<uint32_t> audioThread_{0};
    bool fullOutputs_ = false;
    int instance_ = 1;
    bool failed_ = false;
    int fd_ = -1;
    uint64_t droppedReported_ = 0;
    OXLogger* logger_ = nullptr;
    std::string startTime_;
    std::thread writer_;
    std::unique_ptr<uint8_t[]> wrapped_;
    size_t wrappedSize_ = 0;
    // A process return with its outputs hashed: the fields and at most 64 hashes.
    uint8_t hashed_[1024];
};
