// How long a function or opcode took, as counts of durations in buckets of three significant
// decimal digits: below 1 µs each nanosecond, above it 100-101 µs, 101-102 µs... (each under 1 %
// wide), so that a percentile read from it is exact for a duration of three digits and within
// 1 % below any other, in memory that does not grow with the calls. A decade's buckets are made
// when a duration first falls into it.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

namespace oplexa
{
class StatsHistogram
{
public:
    void add(uint64_t ns) noexcept;
    // Sums another's counts into this one (the same buckets: exact).
    void merge(const StatsHistogram& other);

    uint64_t count() const noexcept { return calls; }
    uint64_t totalNs() const noexcept { return total; }
    uint64_t maxNs() const noexcept { return largest; }
    uint64_t minNs() const noexcept { return calls > 0 ? smallest : 0; }
    // The duration at rank ceil(count * percent / 100) (1 at least): exact for the first and the
    // last rank, else its bucket's lower bound held within the smallest and largest; 0 when empty.
    uint64_t percentileNs(unsigned percent) const noexcept;

private:
    // Below 10^3 ns one bucket per nanosecond; decade d (10^d to 10^(d+1) ns, d from 3) has 900,
    // a mantissa of three digits each; past 10^kDecades ns one bucket for all.
    static constexpr int kFirstDecade = 3;
    static constexpr int kDecades = 14; // 10^14 ns: a call of 28 hours
    static constexpr int kPerDecade = 900;
    struct Place
    {
        int decade; // kFirstDecade - 1 for the nanosecond buckets, kDecades past them all
        int bucket;
    };
    static Place placeOf(uint64_t ns) noexcept;
    static uint64_t lowerBound(Place place) noexcept;
    static uint64_t bucketsIn(int decade) noexcept;
    const uint32_t* countsOf(int decade) const noexcept;
    uint32_t* madeCountsOf(int decade);

    uint64_t calls = 0;
    uint64_t total = 0; // saturates: a sum past 584 years is no time a plug-in took
    uint64_t smallest = UINT64_MAX;
    uint64_t largest = 0;
    uint32_t overflow = 0;
    std::unique_ptr<uint32_t[]> nanoseconds;
    std::array<std::unique_ptr<uint32_t[]>, kDecades - kFirstDecade> decades;
};
} // namespace oplexa
