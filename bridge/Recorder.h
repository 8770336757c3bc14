// Records one session's calls to a file for oplexa-host --replay. Calling threads only encode
// into the ring (see record/RecordCapture.h); a writer thread of the recorder's own wraps the
// records and writes them. Off, it costs the forwarders one relaxed load and branch.
#pragma once

#include "record/PluginWatch.h"
#include "record/RecordCapture.h"
#include "record/RecordFormat.h"

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

    bool on() const noexcept { return active.load(std::memory_order_relaxed); }
    bool fullOutputs() const noexcept { return keepsFullOutputs; }
    RecordRing& ring() noexcept { return *recordRing; }
    // A process call with more channels than a recording keeps, dropped (a gap): the writer
    // names the first one's counts in the log.
    void tooManyChannels(int inputs, int outputs) noexcept
    {
        if (wideBlock.load(std::memory_order_relaxed) == 0)
            wideBlock.store(uint64_t{static_cast<uint32_t>(inputs)} << 32 |
                                static_cast<uint32_t>(outputs),
                            std::memory_order_relaxed);
    }
    // The calling thread's number and role; processing marks the audio thread.
    recordCapture::Thread thread(bool processing) noexcept;
    // Before each call and return record: the plug-in's record, where it changed.
    PluginWatch& pluginWatch() noexcept { return watch; }
    // The record the entry point returned, on its thread.
    void pluginStarted(const AEffect& hosted) noexcept;

    // For the live checker: the writer thread calls it for each output channel of a process
    // return with NaN, infinite or denormal samples, with the number `oplexa print` gives the
    // process call. Set before start.
    using OutputCountsHook = void (*)(void* context, uint64_t processCall, int32_t channel,
                                      uint32_t nonFinite, uint32_t denormal);
    // And for each process call, its time inside the plug-in in ticks, from its two records.
    using ProcessTimeHook = void (*)(void* context, uint64_t processCall, uint8_t function,
                                     int32_t frames, uint64_t ticks);
    void countOutputs(OutputCountsHook hook, ProcessTimeHook timeHook, void* context) noexcept
    {
        countsHook = hook;
        timesHook = timeHook;
        countsContext = context;
    }

    // Opens a new file in folder and starts the writer; says so, or why not, in the log. With
    // waitWhenFull a calling thread that finds the ring full waits for room, while the
    // recording runs, instead of dropping its record.
    void start(OXLogger& log, const std::string& folder, const std::string& pluginPath,
               int instanceNumber, bool fullOutputs, bool waitWhenFull = false);
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
    // A gap marker for the records dropped up to dropped, where none was written yet.
    void markGap(uint64_t dropped);
    void fail(const char* reason) noexcept;
    static bool waitForRoom(void* recorder) noexcept;
    uint32_t threadNumber() noexcept;

    std::unique_ptr<RecordRing> recordRing;
    PluginWatch watch;
    OutputCountsHook countsHook = nullptr;
    void* countsContext = nullptr;
    // The calls written, as `oplexa print` numbers them, and each thread's last process call
    // (threads past the table share its first place).
    uint64_t callsNumbered = 0;
    struct OpenProcess
    {
        uint64_t call = 0;
        uint64_t beginTicks = 0;
        int32_t frames = 0;
    };
    OpenProcess processCalls[64] = {};
    ProcessTimeHook timesHook = nullptr;
    std::atomic<bool> active{false};
    std::atomic<bool> running{false};
    // Sequentially consistent, the two of them: the writer and a crash each see the other's.
    std::atomic<bool> writing{false};
    std::atomic<bool> crashed{false};
    std::atomic<bool> waits{false};
    std::atomic<int> writerThread{0};
    std::atomic<uint32_t> generation{0};
    std::atomic<uint64_t> wideBlock{0};
    bool wideBlockSaid = false;
    std::atomic<uint32_t> nextThread{0};
    // The one number of the threads that find no place of their own to keep theirs in.
    std::atomic<uint32_t> crowdThread{0};
    std::atomic<uint32_t> firstThread{0};
    std::atomic<uint32_t> audioThread{0};
    bool keepsFullOutputs = false;
    int instance = 1;
    bool failed = false;
    int file = -1;
    uint64_t droppedReported = 0;
    OXLogger* logger = nullptr;
    std::string startTime;
    std::thread writer;
    std::unique_ptr<uint8_t[]> wrapped;
    size_t wrappedSize = 0;
    // A process return with its outputs hashed, and their counts.
    uint8_t hashedRecord[recordFormat::kMaxHashedReturnBytes];
    recordFormat::OutputCounts counts[recordFormat::kMaxChannels];
};
