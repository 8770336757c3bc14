#include "bridge/Recorder.h"

#include "bridge/PathText.h"
#include "bridge/Platform.h"
#include "bridge/Process.h"
#include "logger/CaughtText.h"
#include "logger/OXLogger.h"
#include "logger/SafeCalls.h"
#include "logger/ThreadSlots.h"
#include "record/RecordFormat.h"
#include "record/RecordHeader.h"
#include "record/TickClock.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <iterator>
#include <unistd.h>

namespace
{
constexpr size_t kRingBytes = size_t{16} << 20;
constexpr auto kWriterPause = std::chrono::milliseconds(2);
// A waiting host thread's pause between looks at the ring: short beside the writer's own.
constexpr auto kRoomPause = std::chrono::microseconds(200);
constexpr int kCrashWaitMs = 500;

std::string baseName(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
} // namespace

Recorder::Recorder() = default;

Recorder::~Recorder()
{
    stop(false);
}

// The calling thread's number in this recording, given at its first call there.
uint32_t Recorder::threadNumber() noexcept
{
    constexpr auto relaxed = std::memory_order_relaxed;
    const uint32_t recording = generation.load(relaxed);
    RecordThreadNumbers* numbers = Process::get().recordThreadNumbers.mine();
    if (numbers == nullptr)
    {
        uint32_t crowd = crowdThread.load(relaxed);
        if (const uint32_t fresh = crowd == 0 ? nextThread.fetch_add(1, relaxed) + 1 : 0;
            fresh != 0 && crowdThread.compare_exchange_strong(crowd, fresh, relaxed))
            crowd = fresh;
        return crowd;
    }
    for (const RecordThreadNumber& slot : numbers->slots)
        if (slot.recording == recording)
            return slot.number;
    RecordThreadNumber& slot = numbers->slots[numbers->next++ % RecordThreadNumbers::kSlots];
    slot = {recording, nextThread.fetch_add(1, relaxed) + 1};
    return slot.number;
}

recordCapture::Thread Recorder::thread(bool processing) noexcept
{
    const uint32_t number = threadNumber();
    uint32_t none = 0;
    if (firstThread.load(std::memory_order_relaxed) == 0)
        firstThread.compare_exchange_strong(none, number, std::memory_order_relaxed);
    none = 0;
    if (processing && audioThread.load(std::memory_order_relaxed) == 0)
        audioThread.compare_exchange_strong(none, number, std::memory_order_relaxed);
    if (number == audioThread.load(std::memory_order_relaxed))
        return {number, recordFormat::kRoleAudio};
    return {number, number == firstThread.load(std::memory_order_relaxed)
                        ? recordFormat::kRoleMain
                        : recordFormat::kRoleOther};
}

void Recorder::pluginStarted(const AEffect& hosted) noexcept
{
    if (on())
        watch.look(ring(), thread(false), hosted);
}

bool Recorder::openFile(const std::string& folder, const std::string& pluginPath)
{
    char stamp[32];
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    startTime = stamp;
    const std::string stem =
        folder + "/" + baseName(pluginPath) + "#" + std::to_string(instance) + "-" + stamp;
    for (int attempt = 1; attempt < 1000; ++attempt)
    {
        const std::string path = stem + (attempt == 1 ? "" : "-" + std::to_string(attempt)) +
                                 recordFormat::kFileExtension;
        file = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (file >= 0)
        {
            logger->log(("Recording to " + pathText::printable(path)).toRawUTF8());
            return true;
        }
        if (errno != EEXIST)
            break;
    }
    fail((std::string("cannot create a file in ") + folder + ": " + std::strerror(errno)).c_str());
    return false;
}

void Recorder::start(OXLogger& log, const std::string& folder, const std::string& pluginPath,
                     int instanceNumber, bool fullOutputs, bool waitWhenFull)
{
    stop(false);
    instance = instanceNumber;
    logger = &log;
    failed = false;
    crashed = false;
    if (!openFile(folder, pluginPath))
        return;
    if (recordRing == nullptr)
    {
        recordRing = std::make_unique<RecordRing>(kRingBytes);
        recordRing->setWhenFull({&Recorder::waitForRoom, this});
    }
    waits = waitWhenFull;
    recordRing->reset();
    watch.reset();
    callsNumbered = 0;
    std::fill(std::begin(processCalls), std::end(processCalls), OpenProcess());
    keepsFullOutputs = fullOutputs;
    droppedReported = 0;
    wideBlock = 0;
    wideBlockSaid = false;
    nextThread = 0;
    crowdThread = 0;
    firstThread = 0;
    audioThread = 0;
    generation = Process::get().recordingsStarted.fetch_add(1) + 1;

    uint8_t header[4096];
    const size_t headerBytes = recordFormat::encodeHeader(
        {pluginPath, pathText::isValidUtf8(pluginPath), static_cast<uint64_t>(instance), startTime,
         fullOutputs, tickClock::calibrate()},
        header, sizeof header);
    if (headerBytes == 0 || !writeAll(header, headerBytes))
    {
        fail(headerBytes != 0 ? std::strerror(errno) : "the plug-in's path is too long");
        return;
    }
    running = true;
    active = true;
    writer = std::thread(
        [this]
        {
            writerThread.store(threadSlots::currentThread(), std::memory_order_relaxed);
            while (running.load())
            {
                pump();
                safeCalls::sleepFor(kWriterPause);
            }
            pump();
        });
}

void Recorder::stop(bool properEnd) noexcept
{
    active = false;
    running = false;
    try
    {
        if (writer.joinable())
            writer.join();
    }
    catch (...)
    {
        if (logger != nullptr)
            logCaught(*logger, "Recorder::stop");
    }
    if (file < 0)
        return;
    if (properEnd && !failed)
    {
        uint8_t end[8];
        writeRecord(end, recordFormat::endPayload(end, sizeof end));
    }
    ::close(file);
    file = -1;
}

size_t Recorder::drainTo(int fd) const noexcept
{
    return recordRing != nullptr ? recordRing->drainTo(fd) : 0;
}

void Recorder::drainAfterCrash() noexcept
{
    // The writer thread still runs: let it finish the records it took (each leaves the ring once
    // written) and stop, so that the drain neither repeats a record nor splits one with its own.
    crashed.store(true);
    for (int waited = 0; writing.load() && waited < kCrashWaitMs; ++waited)
        safeCalls::sleepFor(std::chrono::milliseconds(1));
    if (file >= 0)
        drainTo(file);
}

// Until the recording stops (Close, a write error, a crash). Never on the writer's own thread,
// nor in a signal handler (a host's that calls the plug-in): the writer may be the thread it
// interrupted, and would wait for itself.
bool Recorder::waitForRoom(void* recorder) noexcept
{
    const auto& self = *static_cast<const Recorder*>(recorder);
    if (!self.waits.load(std::memory_order_relaxed) || !self.active.load() || self.crashed.load() ||
        self.writerThread.load(std::memory_order_relaxed) == threadSlots::currentThread() ||
        platform::onSignalStack())
        return false;
    safeCalls::sleepFor(kRoomPause);
    return true;
}

void Recorder::fail(const char* reason) noexcept
{
    active = false;
    failed = true;
    if (logger != nullptr)
        logger->log((std::string("Recording stopped: ") + reason).c_str());
    if (file >= 0)
        ::close(file);
    file = -1;
}

bool Recorder::writeAll(const uint8_t* data, size_t size) noexcept
{
    iovec whole{const_cast<uint8_t*>(data), size};
    const int error = safeCalls::writeAll(file, &whole, 1);
    if (error != 0)
        errno = error;
    return error == 0;
}

void Recorder::writeRecord(const uint8_t* payload, size_t size)
{
    if (file < 0)
        return;
    recordFormat::RecordLead lead;
    const bool numbered = recordFormat::readLead(payload, size, lead);
    OpenProcess& process = processCalls[lead.thread < std::size(processCalls) ? lead.thread : 0];
    const bool processing = numbered && recordFormat::isProcessFunction(lead.function);
    if (numbered && lead.kind == recordFormat::kCall)
        ++callsNumbered;
    if (processing && lead.kind == recordFormat::kCall)
        process = {callsNumbered, lead.ticks, static_cast<int32_t>(lead.value)};
    else if (processing && timesHook != nullptr && process.beginTicks != 0 &&
             lead.ticks >= process.beginTicks)
        timesHook(countsContext, process.call, static_cast<uint8_t>(lead.function), process.frames,
                  lead.ticks - process.beginTicks);
    const uint64_t processCall = process.call;
    long counted = -1;
    if (!keepsFullOutputs)
    {
        size_t channels = 0;
        if (const size_t hashed = recordFormat::hashOutputs(payload, size, hashedRecord,
                                                            sizeof hashedRecord, counts, &channels))
        {
            payload = hashedRecord;
            size = hashed;
            counted = static_cast<long>(channels);
        }
    }
    else if (countsHook != nullptr)
        counted = recordFormat::countOutputs(payload, size, counts);
    for (long c = 0; countsHook != nullptr && c < counted; ++c)
        if (counts[c].nonFinite > 0 || counts[c].denormal > 0)
            countsHook(countsContext, processCall, static_cast<int32_t>(c), counts[c].nonFinite,
                       counts[c].denormal);
    if (wrappedSize < size + recordFormat::kWrapOverhead)
    {
        wrappedSize = size + recordFormat::kWrapOverhead;
        wrapped.reset(new uint8_t[wrappedSize]);
    }
    const size_t bytes = recordFormat::wrapRecord(payload, size, wrapped.get(), wrappedSize);
    if (!writeAll(wrapped.get(), bytes))
        fail(std::strerror(errno));
}

void Recorder::pump()
{
    writing.store(true);
    if (!crashed.load())
        pumpRecords();
    writing.store(false);
}

void Recorder::pumpRecords()
{
    recordRing->consume([this](const uint8_t* payload, size_t size) { writeRecord(payload, size); },
                        [this](uint64_t droppedBefore) { markGap(droppedBefore); });
    markGap(recordRing->dropped());
    if (const uint64_t wide = wideBlock.load(std::memory_order_relaxed);
        wide != 0 && !wideBlockSaid && file >= 0)
    {
        wideBlockSaid = true;
        logger->log(("Recording dropped a process call with " + std::to_string(wide >> 32) +
                     " inputs and " + std::to_string(wide & 0xFFFFFFFF) +
                     " outputs: a recording keeps at most " +
                     std::to_string(recordFormat::kMaxChannels) + " channels each")
                        .c_str());
    }
}

void Recorder::markGap(uint64_t dropped)
{
    if (dropped <= droppedReported || file < 0)
        return;
    uint8_t gap[16];
    writeRecord(gap, recordFormat::gapPayload(dropped - droppedReported, gap, sizeof gap));
    logger->log(("Recording dropped " + std::to_string(dropped - droppedReported) +
                 " calls: the recording queue was full")
                    .c_str());
    droppedReported = dropped;
}
