// Keeps host calls out of a plug-in that is closing. Each host-to-plug-in call marks its thread's
// slot with the gate it passes; Close shuts the gate, then waits until no other thread's slot
// names it. The mark is a plain store on the call path: the closing side pays for the ordering
// with one process-wide barrier instead.
#pragma once

#include "logger/ThreadSlots.h"

#include <atomic>
#include <cstdint>

namespace callGate
{
// One per session.
struct Gate
{
    std::atomic<bool> shut{false};
    // Calls of threads that found no free slot (more threads than slots).
    std::atomic<int> unslotted{0};
    // The session the gate belongs to.
    const void* owner = nullptr;
};

// One cache line per thread, so that audio threads don't share one. The mark packs the gate a
// call passes with the call's number, so that a hung call can be named.
// A nested call (a host answering a callback with a call, maybe into another session) takes the
// next mark and keeps the outer ones, so that each session's Close sees the thread.
struct alignas(64) Slot
{
    static constexpr int kDepth = 4;
    std::atomic<int> owner{0};             // the kernel's thread id, 0 while free
    std::atomic<uint64_t> marks[kDepth]{}; // outermost first
    int depth = 0;                         // the owning thread's alone
    void clear() noexcept
    {
        for (auto& mark : marks)
            mark.store(0, std::memory_order_relaxed);
        depth = 0;
    }
    // The innermost call's mark; 0 for none.
    uint64_t innermost() const noexcept
    {
        for (int i = kDepth - 1; i >= 0; --i)
            if (const uint64_t mark = marks[i].load(std::memory_order_relaxed); mark != 0)
                return mark;
        return 0;
    }
};

// A forwarded call's number: the function's index, or 16 + the dispatcher opcode.
constexpr int32_t kDispatcherCalls = 16;

constexpr uint64_t markOf(const Gate* gate, int32_t call) noexcept
{
    return static_cast<uint64_t>(static_cast<uint16_t>(call)) << 48 |
           reinterpret_cast<uintptr_t>(gate);
}

// The gate and the call a mark names; null for no mark.
inline const Gate* gateOf(uint64_t mark) noexcept
{
    return reinterpret_cast<const Gate*>(mark & ((uint64_t{1} << 48) - 1));
}
inline int32_t callOf(uint64_t mark) noexcept
{
    return static_cast<int16_t>(mark >> 48);
}

// Once per process, before the first call can pass.
void prepare() noexcept;

// A thread's first call claims a free slot, or one whose thread has ended; a thread that finds
// none passes unslotted.
using Slots = threadSlots::Table<Slot, 1024>;
// What every gate shares: each thread's calls, and whether a call must fence on its own (without
// a process-wide barrier).
struct Threads
{
    Slots slots;
    std::atomic<bool> fence{true};
};
extern Threads threads;

// A call that passes through the gate, for as long as it lives; open() is false when the gate
// is shut and the call must not reach the plug-in.
class Pass
{
public:
    Pass(Gate& passed, int32_t call) noexcept : gate(passed), slot(threads.slots.mine())
    {
        if (__builtin_expect(slot == nullptr || slot->depth == Slot::kDepth, 0) ||
            threads.fence.load(std::memory_order_relaxed))
        {
            enterFenced(call);
            return;
        }
        slot->marks[slot->depth++].store(markOf(&gate, call), std::memory_order_relaxed);
        std::atomic_signal_fence(std::memory_order_seq_cst);
        isOpen = !gate.shut.load(std::memory_order_relaxed);
    }
    ~Pass()
    {
        if (__builtin_expect(slot == nullptr, 0))
            gate.unslotted.fetch_sub(1, std::memory_order_release);
        else
            slot->marks[--slot->depth].store(0, std::memory_order_release);
    }
    Pass(const Pass&) = delete;
    Pass& operator=(const Pass&) = delete;

    bool open() const noexcept { return isOpen; }

private:
    void enterFenced(int32_t call) noexcept;

    Gate& gate;
    Slot* slot; // null: passes unslotted
    bool isOpen = false;
};

// Stops new calls and waits up to timeoutMs for those inside to leave; the calling thread's own
// calls (insideCall: it is itself inside one, Close) don't count. False when one is still
// inside; stuckCall then says which.
bool shut(Gate& gate, bool insideCall, int timeoutMs, int32_t& stuckCall) noexcept;
// Lets calls pass again, for the session's next plug-in.
void reopen(Gate& gate) noexcept;
} // namespace callGate
