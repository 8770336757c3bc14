#include "record/PluginWatch.h"

void PluginWatch::reset() noexcept
{
    for (size_t i = 0; i + 1 < kWords; ++i)
        last[i].store(0);
    last[kWords - 1].store(kUnequal);
    lastPosition.store(0);
}

void PluginWatch::changed(RecordRing& ring, recordCapture::Thread thread, Words now) noexcept
{
    const auto low = [&](size_t i) { return static_cast<int32_t>(now.word[i] & 0xFFFFFFFF); };
    const auto high = [&](size_t i) { return static_cast<int32_t>(now.word[i] >> 32); };
    uint64_t position = 0;
    if (!recordCapture::plugin(
            ring, thread,
            {low(0), high(0), low(1), high(1), low(2), high(2), static_cast<uint32_t>(now.word[3])},
            position))
        return; // dropped: the next look tries again
    // Only the latest record in the ring's order sets what was last written.
    const uint64_t mine = position + 1;
    uint64_t seen = lastPosition.load();
    do
        if (seen > mine)
            return;
    while (!lastPosition.compare_exchange_weak(seen, mine));
    if (storing.fetch_add(1) != 0)
        overlapped.store(true);
    for (size_t i = 0; i < kWords; ++i)
        last[i].store(now.word[i]);
    // A later record's values may have been stored before these, or threads storing at once may
    // have left a mix of their values: none then holds, once the last of them is done.
    if (lastPosition.load() != mine)
        overlapped.store(true);
    if (storing.fetch_sub(1) == 1 && overlapped.exchange(false))
        last[kWords - 1].store(kUnequal);
}
