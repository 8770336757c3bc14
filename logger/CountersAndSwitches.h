// One opcode's counter and logging switch, shared by every calling thread without a lock.
// Each OXLogger owns one per opcode; its members that read and set them are defined in
// LoggerSwitches.cpp.
#pragma once

#include <atomic>
#include <cstdint>

// Counters wrap modulo 2^32 and read back as signed, so a count past 2^31-1 turns negative
// without undefined behaviour.
struct DynamicDebugInfo
{
    std::atomic<uint32_t> count{0};
    std::atomic<bool> enabled{false};

    int32_t getCount() const noexcept
    {
        return static_cast<int32_t>(count.load(std::memory_order_relaxed));
    }
    bool isEnabled() const noexcept { return enabled.load(std::memory_order_relaxed); }
    void setEnabled(bool on) noexcept { enabled.store(on, std::memory_order_relaxed); }
    void increment() noexcept { count.fetch_add(1, std::memory_order_relaxed); }
    void resetCount() noexcept { count.store(0, std::memory_order_relaxed); }
};
