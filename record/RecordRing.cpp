#include "record/RecordRing.h"

#include "record/RecordFormat.h"

#include <cstring>
#include <unistd.h>

RecordRing::RecordRing(size_t capacity)
    : bytes_(new uint8_t[capacity]()),
      states_(new std::atomic<uint8_t>[capacity / sizeof(Header)]()), capacity_(capacity),
      mask_(capacity - 1), restartAt_(capacity / 4 + capacity / 8), little_(capacity / 16),
      limit_(capacity)
{
}

void RecordRing::reset() noexcept
{
    for (size_t i = 0; i < capacity_ / sizeof(Header); ++i)
        states_[i].store(0, std::memory_order_relaxed);
    head_.store(0);
    tail_.store(0);
    limit_.store(capacity_);
    dropped_.store(0);
}

size_t RecordRing::drainTo(int fd) const noexcept
{
    size_t written = 0;
    uint64_t at = tail_.load(std::memory_order_acquire);
    const uint64_t end = head_.load(std::memory_order_acquire);
    uint8_t wrapped[64];
    while (at != end)
    {
        const uint8_t state = stateAt(at).load(std::memory_order_acquire);
        if (state != kPublished && state != kPadding)
            break;
        const Header* header = headerAt(at);
        if (state == kPublished && header->payloadBytes > 0)
        {
            // The framing's head, the payload in place, then its checksum: nothing is copied.
            const auto* payload = reinterpret_cast<const uint8_t*>(header + 1);
            const size_t size = header->payloadBytes;
            const size_t headBytes = recordFormat::wrapHead(size, wrapped, 32);
            const size_t tailBytes = recordFormat::wrapTail(payload, size, wrapped + 32, 32);
            if (write(fd, wrapped, headBytes) < 0 || write(fd, payload, size) < 0 ||
                write(fd, wrapped + 32, tailBytes) < 0)
                break;
            written += headBytes + size + tailBytes;
        }
        at += header->slotBytes;
    }
    return written;
}
