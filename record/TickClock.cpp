#include "record/TickClock.h"

#include <ctime>

namespace tickClock
{
namespace
{
uint64_t monotonicNs() noexcept
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000000000u + static_cast<uint64_t>(now.tv_nsec);
}

uint64_t measureRate() noexcept
{
    constexpr uint64_t kSpanNs = 5000000;
    const uint64_t ticks0 = now();
    const uint64_t ns0 = monotonicNs();
    uint64_t ns1 = ns0;
    while (ns1 - ns0 < kSpanNs)
        ns1 = monotonicNs();
    const uint64_t ticks1 = now();
    return static_cast<uint64_t>(static_cast<unsigned __int128>(ticks1 - ticks0) * 1000000000u /
                                 (ns1 - ns0));
}
} // namespace

Calibration calibrate() noexcept
{
    static const uint64_t rate = measureRate();
    Calibration at;
    at.ticks = now();
    at.ns = monotonicNs();
    at.ticksPerSecond = rate;
    return at;
}
} // namespace tickClock
