// A bounded ring of whole log lines: many threads put lines in, the writer thread takes them out.
// A line is a record: an 8-byte header (commit word, length) and the text, padded to 8 bytes.
// A producer reserves its record with one compare-and-swap on the head position, copies the text
// and publishes the commit word; the consumer takes records in the order they were reserved,
// stopping at the first one not yet published. A record never wraps: the reservation that would
// cross the end takes a padding record up to the end with it.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <sys/uio.h>

class LogQueue
{
public:
    static constexpr size_t kMinimumCapacity = 64 * 1024;

    // Rounded up to a power of two, at least kMinimumCapacity. The only allocation.
    explicit LogQueue(size_t capacityBytes);

    size_t capacity() const noexcept { return size; }

    // No lock, no allocation, no waiting, no system call. False when there is no room; the
    // caller decides whether that counts as a dropped line.
    bool tryPush(const char* line, size_t length) noexcept;
    void countDropped() noexcept { dropped.fetch_add(1, std::memory_order_relaxed); }
    uint64_t takeDropped() noexcept { return dropped.exchange(0, std::memory_order_relaxed); }

    // The consumer's side, for one thread at a time.
    struct Batch
    {
        size_t lines = 0;
        size_t bytes = 0;
        uint64_t end = 0; // the position release() takes
    };
    // Points iov at the published lines from the oldest on, up to maxLines and maxBytes (at least
    // one line when any is published). The text stays in place until release(batch.end).
    Batch peek(iovec* iov, size_t maxLines, size_t maxBytes) const noexcept;
    void release(uint64_t end) noexcept;
    // True when a line is published at the oldest position.
    bool hasPublished() const noexcept;
    // True when nothing is reserved that was not taken out.
    bool isEmpty() const noexcept;

    // The oldest position not yet released.
    uint64_t released() const noexcept { return tail.load(std::memory_order_acquire); }
    // Writes every line published from position on to fd without taking it out: plain loads and
    // write(2), so that a signal handler may call it. Returns the position after the last one.
    uint64_t writePublished(uint64_t position, int fd) const noexcept;

private:
    static constexpr uint32_t kPadding = 0x80000000u;

    uint32_t* headerAt(uint64_t position) const noexcept
    {
        return reinterpret_cast<uint32_t*>(bytes + (position & mask));
    }
    static uint64_t recordSize(size_t length) noexcept { return 8 + ((length + 7) & ~size_t{7}); }

    // Pages of its own, given back whole when the queue goes: a heap block this large would
    // stay in the process after the last session.
    struct Unmap
    {
        size_t bytes;
        void operator()(uint64_t* pages) const noexcept;
    };
    std::unique_ptr<uint64_t[], Unmap> words;
    char* bytes;
    size_t size;
    uint64_t mask;
    alignas(64) std::atomic<uint64_t> head{0};
    alignas(64) std::atomic<uint64_t> tail{0};
    alignas(64) std::atomic<uint64_t> dropped{0};
};
