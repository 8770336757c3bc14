// Follows the plug-in's record for a recording: the values of a kPlugin record (RecordLayout.h,
// PluginField) are written when the entry point returned the record, and before any call or
// return record whenever they differ from the last written. Plug-ins change them on any thread
// (ZaMaximX2 its initialDelay while processing), so every recorded call looks: four relaxed loads
// and compares on the calling thread; the writing is out of line. Threads may race to write the
// same change: a duplicate record is harmless, a missed change is not, so the last written values
// are those of the latest record in the ring's order, and a race that may have mixed them leaves
// them unequal to anything, which makes the next look write.
#pragma once

#include "record/RecordCapture.h"

#include <atomic>
#include <cstdint>

class PluginWatch
{
public:
    // The next look writes, whatever the values.
    void reset() noexcept;

    void look(RecordRing& ring, recordCapture::Thread thread, const AEffect& effect) noexcept
    {
        const Words now = wordsOf(effect);
        constexpr auto relaxed = std::memory_order_relaxed;
        // One branch: the words compared apart would each take one.
        if (__builtin_expect(((now.word[0] ^ last[0].load(relaxed)) |
                              (now.word[1] ^ last[1].load(relaxed)) |
                              (now.word[2] ^ last[2].load(relaxed)) |
                              (now.word[3] ^ last[3].load(relaxed))) != 0,
                             0))
            changed(ring, thread, now);
    }

private:
    static constexpr size_t kWords = 4;
    // Each pair of fields in one word; the last word's top bit is never a function's.
    struct Words
    {
        uint64_t word[kWords];
    };
    static constexpr uint64_t kUnequal = uint64_t{1} << 63;

    template <typename Field> static Field load(const Field& field) noexcept
    {
        return __atomic_load_n(&field, __ATOMIC_RELAXED);
    }
    static uint64_t pair(int32_t low, int32_t high) noexcept
    {
        return uint64_t{static_cast<uint32_t>(high)} << 32 | static_cast<uint32_t>(low);
    }
    static Words wordsOf(const AEffect& effect) noexcept
    {
        const uint64_t functions =
            uint64_t{load(effect.dispatcher) != nullptr} << fnDispatcher |
            uint64_t{load(effect.process) != nullptr} << fnProcess |
            uint64_t{load(effect.processReplacing) != nullptr} << fnProcessReplacing |
            uint64_t{load(effect.setParameter) != nullptr} << fnSetParameter |
            uint64_t{load(effect.getParameter) != nullptr} << fnGetParameter |
            uint64_t{load(effect.processDoubleReplacing) != nullptr} << fnProcessDoubleReplacing;
        return {{pair(load(effect.flags), load(effect.numPrograms)),
                 pair(load(effect.numParams), load(effect.numInputs)),
                 pair(load(effect.numOutputs), load(effect.initialDelay)), functions}};
    }
    [[gnu::noinline, gnu::cold]] void changed(RecordRing& ring, recordCapture::Thread thread,
                                              Words now) noexcept;

    std::atomic<uint64_t> last[kWords] = {{0}, {0}, {0}, {kUnequal}};
    // One past the ring position of the record whose values last holds.
    std::atomic<uint64_t> lastPosition{0};
    std::atomic<uint32_t> storing{0};
    std::atomic<bool> overlapped{false};
};
