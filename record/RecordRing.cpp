#include "record/RecordRing.h"

#include "record/RecordFormat.h"

#include <cstring>
#include <unistd.h>

RecordRing::RecordRing(size_t size)
    : bytes(new uint8_t[size]()), states(new std::atomic<uint8_t>[size / sizeof(Header)]()),
      capacity(size), mask(size - 1), restartAt(size / 4 + size / 8), littleBytes(size / 16),
      limitPosition(size)
{
}

void RecordRing::reset() noexcept
{
    for (size_t i = 0; i < capacity / sizeof(Header); ++i)
        states[i].store(0, std::memory_order_relaxed);
    headPosition.store(0);
    tailPosition.store(0);
    limitPosition.store(capacity);
    droppedCount.store(0);
}

bool RecordRing::waitForRoom(size_t payloadBytes, Slot& slot) noexcept
{
    while (whenFull.wait(whenFull.context))
        if (reserve<true>(payloadBytes, slot))
            return true;
    droppedCount.fetch_add(1, std::memory_order_relaxed);
    return false;
}

size_t RecordRing::drainTo(int fd) const noexcept
{
    size_t written = 0;
    uint64_t at = tailPosition.load(std::memory_order_acquire);
    const uint64_t end = headPosition.load(std::memory_order_acquire);
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
