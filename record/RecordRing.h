// A bounded byte ring of variable-length records with many producers and one consumer. A
// calling thread reserves room, encodes its record in place and publishes it: no lock, no
// allocation, no waiting; when the ring is full the record is dropped and counted, unless the
// owner chose to wait for room (setWhenFull). Records are already encoded payloads, so the ring
// can be written out raw at any time, even from a signal handler after a crash (drainTo).
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

class RecordRing
{
public:
    // size: a power of two, in bytes; allocated here, once.
    explicit RecordRing(size_t size);

    struct Slot
    {
        uint8_t* payload = nullptr;
        size_t room = 0;
        uint64_t position = 0;
    };

    // Room for up to payloadBytes; false (and one more dropped record) when the ring is full.
    // Again: a look for room after a wait, which drops nothing itself.
    template <bool Again = false> bool reserve(size_t payloadBytes, Slot& slot) noexcept;
    // Makes the first used bytes of a reserved slot visible to the consumer; 0 publishes a
    // record that the consumer skips.
    void publish(const Slot& slot, size_t used) noexcept;

    // The consumer: hands every published record in order to take(payload, size) and frees it;
    // stops at the first record still being written. Returns the number taken. Before each it
    // calls gap(dropped) with the records dropped before that one's room was reserved, so that a
    // gap is marked where it was, not where the consumer noticed it.
    template <typename Take, typename Gap> size_t consume(Take&& take, Gap&& gap);
    template <typename Take> size_t consume(Take&& take)
    {
        return consume(take, [](uint64_t) {});
    }

    // Writes every published record not yet consumed, wrapped as in the file, to fd with
    // write(2) only. Async-signal-safe; the ring is left as it was. Returns the bytes written.
    size_t drainTo(int fd) const noexcept;

    uint64_t dropped() const noexcept { return droppedCount.load(std::memory_order_relaxed); }
    // A record the producer will not even try to place (one no reader would take).
    void drop() noexcept { droppedCount.fetch_add(1, std::memory_order_relaxed); }
    // When set, asked each time a record finds the ring full: true to look for room again (it
    // pauses first), false to drop the record. Set before any producer runs.
    struct WhenFull
    {
        bool (*wait)(void* context) noexcept = nullptr;
        void* context = nullptr;
    };
    void setWhenFull(WhenFull full) noexcept { whenFull = full; }
    // Forgets everything; only while no producer and no consumer runs.
    void reset() noexcept;

private:
    struct alignas(16) Header
    {
        uint32_t slotBytes;
        uint32_t payloadBytes;
        uint64_t droppedBefore;
    };
    // A slot's state lives apart from the ring, one byte for each 16 bytes of it: payload bytes
    // never land there, so the consumer clears the one byte of each slot it takes and leaves
    // the ring's lines alone; the producer's next lap finds them unowned by the consumer.
    static constexpr uint8_t kPublished = 1;
    static constexpr uint8_t kPadding = 2;

    Header* headerAt(uint64_t position) const noexcept
    {
        return reinterpret_cast<Header*>(bytes.get() + (position & mask));
    }
    [[gnu::cold, gnu::noinline]] bool waitForRoom(size_t payloadBytes, Slot& slot) noexcept;
    std::atomic<uint8_t>& stateAt(uint64_t position) const noexcept
    {
        return states[(position & mask) / sizeof(Header)];
    }

    std::unique_ptr<uint8_t[]> bytes;
    std::unique_ptr<std::atomic<uint8_t>[]> states;
    size_t capacity;
    uint64_t mask;
    uint64_t restartAt;
    uint64_t littleBytes;
    WhenFull whenFull;
    alignas(64) std::atomic<uint64_t> headPosition{0};
    // The producers' copy of the consumer's tail plus the capacity: where room ends.
    std::atomic<uint64_t> limitPosition;
    alignas(64) std::atomic<uint64_t> tailPosition{0};
    alignas(64) std::atomic<uint64_t> droppedCount{0};
};

// Inline: they are most of a recorded call's own work, on the calling thread.
template <bool Again> inline bool RecordRing::reserve(size_t payloadBytes, Slot& slot) noexcept
{
    const size_t slotBytes = (sizeof(Header) + payloadBytes + 15) & ~size_t{15};
    if (slotBytes > capacity / 4)
    {
        droppedCount.fetch_add(1, std::memory_order_relaxed);
        return false;
    }
    uint64_t head = headPosition.load(std::memory_order_relaxed);
    uint64_t padding = 0;
    for (;;)
    {
        const uint64_t offset = head & mask;
        const uint64_t toEnd = capacity - offset;
        const bool wraps = toEnd < slotBytes;
        uint64_t limit = limitPosition.load(std::memory_order_acquire);
        // Past its first part the ring starts over, for a small slot while it holds little: as
        // long as the consumer keeps up, records then land on lines used a moment ago, not on
        // ones left a lap before, out of the near caches. Until the consumer passes the
        // padding, the room is what lies before its tail; after this slot, at least a quarter
        // of the ring is left, the largest slot.
        const bool past = offset >= restartAt && slotBytes <= littleBytes;
        const bool little = head + capacity <= limit + littleBytes;
        padding = wraps || (past && little) ? toEnd : 0;
        uint64_t end = head + padding + slotBytes;
        // The consumer's tail is read only when the last one read leaves too little room (or
        // may hide that the ring could start over): its line is the consumer's, and a read of
        // it would mostly miss.
        if (end > limit || (past && !little))
        {
            limit = tailPosition.load(std::memory_order_acquire) + capacity;
            limitPosition.store(limit, std::memory_order_release);
            if (!wraps && past && head + capacity <= limit + littleBytes)
            {
                padding = toEnd;
                end = head + padding + slotBytes;
            }
            if (end > limit && !wraps)
            {
                padding = 0;
                end = head + slotBytes;
            }
            if (end > limit)
            {
                // Out of line and a tail call, with the rounded size the search keeps anyway:
                // the search itself does not change.
                if (!Again && whenFull.wait != nullptr)
                    return waitForRoom(slotBytes - sizeof(Header), slot);
                if (!Again)
                    droppedCount.fetch_add(1, std::memory_order_relaxed);
                return false;
            }
        }
        if (headPosition.compare_exchange_weak(head, end, std::memory_order_relaxed))
            break;
    }
    if (padding > 0)
    {
        Header* skip = headerAt(head);
        skip->slotBytes = static_cast<uint32_t>(padding);
        skip->payloadBytes = 0;
        stateAt(head).store(kPadding, std::memory_order_release);
        head += padding;
    }
    Header* header = headerAt(head);
    header->slotBytes = static_cast<uint32_t>(slotBytes);
    header->droppedBefore = droppedCount.load(std::memory_order_relaxed);
    slot.payload = reinterpret_cast<uint8_t*>(header + 1);
    slot.room = slotBytes - sizeof(Header);
    slot.position = head;
    return true;
}

inline void RecordRing::publish(const Slot& slot, size_t used) noexcept
{
    Header* header = headerAt(slot.position);
    header->payloadBytes = static_cast<uint32_t>(used);
    stateAt(slot.position).store(kPublished, std::memory_order_release);
}

template <typename Take, typename Gap> size_t RecordRing::consume(Take&& take, Gap&& gap)
{
    size_t taken = 0;
    uint64_t tail = tailPosition.load(std::memory_order_relaxed);
    // Read once: the producers' line stays theirs while the records up to it are taken.
    const uint64_t head = headPosition.load(std::memory_order_acquire);
    while (tail != head)
    {
        std::atomic<uint8_t>& stateOfSlot = stateAt(tail);
        const uint8_t state = stateOfSlot.load(std::memory_order_acquire);
        if (state != kPublished && state != kPadding)
            break;
        const Header* header = headerAt(tail);
        const uint32_t slotBytes = header->slotBytes;
        if (state == kPublished && header->payloadBytes > 0)
        {
            gap(header->droppedBefore);
            take(reinterpret_cast<const uint8_t*>(header + 1), size_t{header->payloadBytes});
            ++taken;
        }
        stateOfSlot.store(0, std::memory_order_relaxed);
        tail += slotBytes;
        tailPosition.store(tail, std::memory_order_release);
    }
    return taken;
}
