#include "bridge/Recorder.h"

#include "bridge/PathText.h"
#include "bridge/Platform.h"
#include "bridge/Process.h"
#include "logger/CaughtText.h"
#include "logger/OXLogger.h"
#include "logger/ThreadSlots.h"
#include "record/RecordFormat.h"
#include "record/TickClock.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

namespace
{
constexpr size_t kRingBytes = size_t{16} << 20;
constexpr auto kWriterPause = std::chrono::milliseconds(2);
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
    const uint32_t recording = generation_.load(relaxed);
    RecordThreadNumbers* numbers = Process::get().recordThreadNumbers.mine();
    if (numbers == nullptr)
    {
        uint32_t crowd = crowdThread_.load(relaxed);
        if (const uint32_t fresh = crowd == 0 ? nextThread_.fetch_add(1, relaxed) + 1 : 0;
            fresh != 0 && crowdThread_.compare_exchange_strong(crowd, fresh, relaxed))
            crowd = fresh;
        return crowd;
    }
    for (const RecordThreadNumber& slot : numbers->slots)
        if (slot.recording == recording)
            return slot.number;
    RecordThreadNumber& slot = numbers->slots[numbers->next++ % RecordThreadNumbers::kSlots];
    slot = {recording, nextThread_.fetch_add(1, relaxed) + 1};
    return slot.number;
}

capture::Thread Recorder::thread(bool processing) noexcept
{
    const uint32_t number = threadNumber();
    uint32_t none = 0;
    if (firstThread_.load(std::memory_order_relaxed) == 0)
        firstThread_.compare_exchange_strong(none, number, std::memory_order_relaxed);
    none = 0;
    if (processing && audioThread_.load(std::memory_order_relaxed) == 0)
        audioThread_.compare_exchange_strong(none, number, std::memory_order_relaxed);
    if (number == audioThread_.load(std::memory_order_relaxed))
        return {number, recfmt::kRoleAudio};
    return {number, number == firstThread_.load(std::memory_order_relaxed) ? recfmt::kRoleMain
                                                                           : recfmt::kRoleOther};
}

bool Recorder::openFile(const std::string& folder, const std::string& pluginPath)
{
    char stamp[32];
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    startTime_ = stamp;
    const std::string stem =
        folder + "/" + baseName(pluginPath) + "#" + std::to_string(instance_) + "-" + stamp;
    for (int attempt = 1; attempt < 1000; ++attempt)
    {
        const std::string path =
            stem + (attempt == 1 ? "" : "-" + std::to_string(attempt)) + recfmt::kFileExtension;
        fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd_ >= 0)
        {
            logger_->log(("Recording to " + pathText::printable(path)).toRawUTF8());
            return true;
        }
        if (errno != EEXIST)
            break;
    }
    fail((std::string("cannot create a file in ") + folder + ": " + std::strerror(errno)).c_str());
    return false;
}

void Recorder::start(OXLogger& logger, const std::string& folder, const std::string& pluginPath,
                     int instance, bool fullOutputs)
{
    stop(false);
    instance_ = instance;
    logger_ = &logger;
    failed_ = false;
    crashed_ = false;
    if (!openFile(folder, pluginPath))
        return;
    if (ring_ == nullptr)
        ring_ = std::make_unique<RecordRing>(kRingBytes);
    ring_->reset();
    fullOutputs_ = fullOutputs;
    droppedReported_ = 0;
    nextThread_ = 0;
    crowdThread_ = 0;
    firstThread_ = 0;
    audioThread_ = 0;
    generation_ = Process::get().recordingsStarted.fetch_add(1) + 1;

    uint8_t header[4096];
    recfmt::Writer writer(header, sizeof header);
    writer.array(9);
    writer.text(recfmt::kMagic, std::strlen(recfmt::kMagic));
    writer.uint(recfmt::kVersion);
    // A CBOR text must be UTF-8: a path that is not goes in as its bytes.
    if (pathText::isValidUtf8(pluginPath))
        writer.text(pluginPath.data(), pluginPath.size());
    else
        writer.bytes(pluginPath.data(), pluginPath.size());
    writer.uint(static_cast<uint64_t>(instance_));
    writer.text(startTime_.data(), startTime_.size());
    writer.boolean(fullOutputs);
    const tickclock::Calibration clock = tickclock::calibrate();
    writer.uint(clock.ticks);
    writer.uint(clock.ns);
    writer.uint(clock.ticksPerSecond);
    if (!writer.ok() || !writeAll(header, writer.size()))
    {
        fail(writer.ok() ? std::strerror(errno) : "the plug-in's path is too long");
        return;
    }
    running_ = true;
    active_ = true;
    writer_ = std::thread(
        [this]
        {
            while (running_.load())
            {
                pump();
                std::this_thread::sleep_for(kWriterPause);
            }
            pump();
        });
}

void Recorder::stop(bool properEnd) noexcept
{
    active_ = false;
    running_ = false;
    try
    {
        if (writer_.joinable())
            writer_.join();
    }
    catch (...)
    {
        if (logger_ != nullptr)
            logCaught(*logger_, "Recorder::stop");
    }
    if (fd_ < 0)
        return;
    if (properEnd && !failed_)
    {
        const uint8_t end[] = {0x81, recfmt::kEnd};
        writeRecord(end, sizeof end);
    }
    ::close(fd_);
    fd_ = -1;
}

size_t Recorder::drainTo(int fd) const noexcept
{
    return ring_ != nullptr ? ring_->drainTo(fd) : 0;
}

void Recorder::drainAfterCrash() noexcept
{
    // The writer thread still runs: let it finish the records it took (each leaves the ring once
    // written) and stop, so that the drain neither repeats a record nor splits one with its own.
    crashed_.store(true);
    for (int waited = 0; writing_.load() && waited < kCrashWaitMs; ++waited)
    {
        const timespec pause{0, 1000000};
        nanosleep(&pause, nullptr);
    }
    if (fd_ >= 0)
        drainTo(fd_);
}

void Recorder::fail(const char* reason) noexcept
{
    active_ = false;
    failed_ = true;
    if (logger_ != nullptr)
        logger_->log((std::string("Recording stopped: ") + reason).c_str());
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

bool Recorder::writeAll(const uint8_t* data, size_t size) noexcept
{
    while (size > 0)
    {
        const ssize_t written = ::write(fd_, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

void Recorder::writeRecord(const uint8_t* payload, size_t size)
{
    if (fd_ < 0)
        return;
    if (!fullOutputs_)
        if (const size_t hashed = recfmt::hashOutputs(payload, size, hashed_, sizeof hashed_))
        {
            payload = hashed_;
            size = hashed;
        }
    if (wrappedSize_ < size + recfmt::kWrapOverhead)
    {
        wrappedSize_ = size + recfmt::kWrapOverhead;
        wrapped_.reset(new uint8_t[wrappedSize_]);
    }
    const size_t bytes = recfmt::wrapRecord(payload, size, wrapped_.get(), wrappedSize_);
    if (!writeAll(wrapped_.get(), bytes))
        fail(std::strerror(errno));
}

void Recorder::pump()
{
    writing_.store(true);
    if (!crashed_.load())
        pumpRecords();
    writing_.store(false);
}

void Recorder::pumpRecords()
{
    ring_->consume([this](const uint8_t* payload, size_t size) { writeRecord(payload, size); });
    const uint64_t dropped = ring_->dropped();
    if (dropped == droppedReported_ || fd_ < 0)
        return;
    uint8_t gap[16];
    recfmt::Writer writer(gap, sizeof gap);
    writer.array(2);
    writer.uint(recfmt::kGap);
    writer.uint(dropped - droppedReported_);
    writeRecord(gap, writer.size());
    logger_->log(("Recording dropped " + std::to_string(dropped - droppedReported_) +
                  " calls: the recording queue was full")
                     .c_str());
    droppedReported_ = dropped;
}
