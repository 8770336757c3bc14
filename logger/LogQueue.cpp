#include "logger/LogQueue.h"

#include "logger/SafeCalls.h"

#include <new>
#include <sys/mman.h>

#include <cstring>

namespace
{
constexpr int kReservedWaitUs = 200000;
constexpr int kReservedPauseUs = 50;

uint64_t* mapWords(size_t bytes)
{
    void* pages = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (pages == MAP_FAILED)
        throw std::bad_alloc();
    return static_cast<uint64_t*>(pages);
}
size_t roundedCapacity(size_t requested) noexcept
{
    size_t capacity = LogQueue::kMinimumCapacity;
    while (capacity < requested && capacity < (size_t{1} << 40))
        capacity <<= 1;
    return capacity;
}

uint32_t loadCommit(const uint32_t* header) noexcept
{
    return __atomic_load_n(header, __ATOMIC_ACQUIRE);
}
} // namespace

LogQueue::LogQueue(size_t capacityBytes)
    : words(mapWords(roundedCapacity(capacityBytes)), Unmap{roundedCapacity(capacityBytes)}),
      bytes(reinterpret_cast<char*>(words.get())), size(roundedCapacity(capacityBytes)),
      mask(size - 1)
{
}

bool LogQueue::tryPush(const char* line, size_t length) noexcept
{
    if (length == 0 || length > size / 4)
        return false;
    const uint64_t need = recordSize(length);
    uint64_t position = head.load(std::memory_order_relaxed);
    uint64_t padding = 0;
    for (;;)
    {
        const uint64_t offset = position & mask;
        padding = offset + need > size ? size - offset : 0;
        // Acquire: the consumer has read and zeroed everything before tail.
        const uint64_t consumed = tail.load(std::memory_order_acquire);
        // Other producers and the consumer may both have moved on since head was read: a tail
        // past it means only that this head is stale, not that the queue is full.
        if (consumed > position)
        {
            position = head.load(std::memory_order_relaxed);
            continue;
        }
        if (position + padding + need - consumed > size)
            return false;
        if (head.compare_exchange_weak(position, position + padding + need,
                                       std::memory_order_relaxed, std::memory_order_relaxed))
            break;
    }
    if (padding != 0)
    {
        uint32_t* pad = headerAt(position);
        pad[1] = static_cast<uint32_t>(padding) | kPadding;
        __atomic_store_n(pad, 1u, __ATOMIC_RELEASE);
        position += padding;
    }
    uint32_t* header = headerAt(position);
    header[1] = static_cast<uint32_t>(length);
    std::memcpy(header + 2, line, length);
    __atomic_store_n(header, 1u, __ATOMIC_RELEASE);
    return true;
}

LogQueue::Batch LogQueue::peek(iovec* iov, size_t maxLines, size_t maxBytes) const noexcept
{
    Batch batch;
    uint64_t position = tail.load(std::memory_order_relaxed);
    while (batch.lines < maxLines)
    {
        const uint32_t* header = headerAt(position);
        if (loadCommit(header) == 0)
            break;
        const uint32_t length = header[1];
        if ((length & kPadding) != 0)
        {
            position += length & ~kPadding;
            continue;
        }
        if (batch.lines > 0 && batch.bytes + length > maxBytes)
            break;
        iov[batch.lines].iov_base = const_cast<uint32_t*>(header + 2);
        iov[batch.lines].iov_len = length;
        ++batch.lines;
        batch.bytes += length;
        position += recordSize(length);
    }
    batch.end = position;
    return batch;
}

void LogQueue::release(uint64_t end) noexcept
{
    // Zeroed, so that a header not yet published reads as zero on the next lap.
    const uint64_t start = tail.load(std::memory_order_relaxed);
    uint64_t position = start;
    while (position < end)
    {
        const uint64_t offset = position & mask;
        const uint64_t piece = end - position < size - offset ? end - position : size - offset;
        std::memset(bytes + offset, 0, piece);
        position += piece;
    }
    tail.store(end, std::memory_order_release);
}

bool LogQueue::hasPublished() const noexcept
{
    return loadCommit(headerAt(tail.load(std::memory_order_relaxed))) != 0;
}

bool LogQueue::isEmpty() const noexcept
{
    return head.load(std::memory_order_acquire) == tail.load(std::memory_order_relaxed);
}

uint64_t LogQueue::writePublished(uint64_t position, int fd) const noexcept
{
    // A line reserved before this call may still be being copied: it is waited for, a moment
    // at most, so that the lines behind it (the crashing thread's own) are written too.
    const uint64_t reserved = head.load(std::memory_order_acquire);
    int waitedUs = 0;
    // Nothing is released here, so no producer can lap what is being read.
    for (;;)
    {
        const uint32_t* header = headerAt(position);
        if (loadCommit(header) == 0)
        {
            if (position >= reserved || waitedUs >= kReservedWaitUs)
                return position;
            safeCalls::sleepFor(std::chrono::microseconds(kReservedPauseUs));
            waitedUs += kReservedPauseUs;
            continue;
        }
        const uint32_t length = header[1];
        if ((length & kPadding) != 0)
        {
            position += length & ~kPadding;
            continue;
        }
        // A line the destination refuses is given up; the next one is tried.
        iovec text{const_cast<uint32_t*>(header + 2), length};
        safeCalls::writeAll(fd, &text, 1);
        position += recordSize(length);
    }
}

void LogQueue::Unmap::operator()(uint64_t* pages) const noexcept
{
    munmap(pages, bytes);
}
