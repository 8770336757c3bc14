// The recording's clock: the processor's time-stamp counter, read in a few cycles where
// clock_gettime costs a vDSO call and a conversion. x86_64 processors of the last fifteen years
// (and their virtual machines: constant_tsc, nonstop_tsc) count at one invariant rate, which is
// measured once per process against CLOCK_MONOTONIC; the reader turns ticks into nanoseconds.
#pragma once

#include <cstdint>
#include <x86intrin.h>

namespace tickClock
{
inline uint64_t now() noexcept
{
    return __rdtsc();
}

// A moment on both clocks and the counter's rate.
struct Calibration
{
    uint64_t ticks = 0;
    uint64_t ns = 0;
    uint64_t ticksPerSecond = 0;
};

// The rate is measured on the first call (5 ms of waiting); the moment is taken on each.
Calibration calibrate() noexcept;

inline uint64_t toNs(uint64_t ticks, const Calibration& at) noexcept
{
    if (at.ticksPerSecond == 0)
        return ticks;
    const auto elapsed = static_cast<__int128>(ticks) - static_cast<__int128>(at.ticks);
    return static_cast<uint64_t>(static_cast<__int128>(at.ns) +
                                 elapsed * 1000000000 / static_cast<__int128>(at.ticksPerSecond));
}
} // namespace tickClock
