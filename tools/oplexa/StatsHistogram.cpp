#include "tools/oplexa/StatsHistogram.h"

#include <algorithm>

namespace oplexa
{
namespace
{
constexpr uint64_t power10(int exponent) noexcept
{
    uint64_t value = 1;
    for (int i = 0; i < exponent; ++i)
        value *= 10;
    return value;
}

void bump(uint32_t& count, uint64_t by = 1) noexcept
{
    count = static_cast<uint32_t>(std::min<uint64_t>(UINT32_MAX, count + by));
}
} // namespace

StatsHistogram::Place StatsHistogram::placeOf(uint64_t ns) noexcept
{
    if (ns < power10(kFirstDecade))
        return {kFirstDecade - 1, static_cast<int>(ns)};
    int decade = kFirstDecade;
    while (decade < kDecades && ns >= power10(decade + 1))
        ++decade;
    if (decade >= kDecades)
        return {kDecades, 0};
    return {decade, static_cast<int>(ns / power10(decade - 2)) - 100};
}

uint64_t StatsHistogram::lowerBound(Place place) noexcept
{
    if (place.decade < kFirstDecade)
        return static_cast<uint64_t>(place.bucket);
    return static_cast<uint64_t>(place.bucket + 100) * power10(place.decade - 2);
}

uint64_t StatsHistogram::bucketsIn(int decade) noexcept
{
    return decade < kFirstDecade ? power10(kFirstDecade) : kPerDecade;
}

const uint32_t* StatsHistogram::countsOf(int decade) const noexcept
{
    return decade < kFirstDecade ? nanoseconds.get()
                                 : decades[static_cast<size_t>(decade - kFirstDecade)].get();
}

uint32_t* StatsHistogram::madeCountsOf(int decade)
{
    std::unique_ptr<uint32_t[]>& slot =
        decade < kFirstDecade ? nanoseconds : decades[static_cast<size_t>(decade - kFirstDecade)];
    if (slot == nullptr)
        slot.reset(new uint32_t[bucketsIn(decade)]());
    return slot.get();
}

void StatsHistogram::add(uint64_t ns) noexcept
{
    ++calls;
    total = ns > UINT64_MAX - total ? UINT64_MAX : total + ns;
    smallest = std::min(smallest, ns);
    largest = std::max(largest, ns);
    const Place place = placeOf(ns);
    if (place.decade == kDecades)
        bump(overflow);
    else
        bump(madeCountsOf(place.decade)[place.bucket]);
}

void StatsHistogram::merge(const StatsHistogram& other)
{
    calls += other.calls;
    total = other.total > UINT64_MAX - total ? UINT64_MAX : total + other.total;
    smallest = std::min(smallest, other.smallest);
    largest = std::max(largest, other.largest);
    bump(overflow, other.overflow);
    for (int decade = kFirstDecade - 1; decade < kDecades; ++decade)
    {
        const uint32_t* from = other.countsOf(decade);
        if (from == nullptr)
            continue;
        uint32_t* to = madeCountsOf(decade);
        for (uint64_t i = 0; i < bucketsIn(decade); ++i)
            bump(to[i], from[i]);
    }
}

uint64_t StatsHistogram::percentileNs(unsigned percent) const noexcept
{
    if (calls == 0)
        return 0;
    const uint64_t rank = std::max<uint64_t>(1, (calls * percent + 99) / 100);
    if (rank >= calls)
        return largest;
    if (rank == 1)
        return smallest;
    uint64_t seen = 0;
    for (int decade = kFirstDecade - 1; decade < kDecades; ++decade)
    {
        const uint32_t* counts = countsOf(decade);
        if (counts == nullptr)
            continue;
        for (int bucket = 0; bucket < static_cast<int>(bucketsIn(decade)); ++bucket)
        {
            seen += counts[bucket];
            if (seen >= rank)
                return std::clamp(lowerBound({decade, bucket}), smallest, largest);
        }
    }
    // Past the last decade, or counts that saturated: the longest is the nearest known.
    return largest;
}
} // namespace oplexa
