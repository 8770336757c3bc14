#include "bridge/CallGate.h"

#include "bridge/Platform.h"

namespace callGate
{
namespace
{
constexpr auto relaxed = std::memory_order_relaxed;
} // namespace

// Not in the process object: the crash handler finds the crashing thread's slot here, and every
// host call reads the slots and the fence inline (CallGate.h) at a fixed address.
Threads threads;

void prepare() noexcept
{
    if (platform::registerProcessBarrier())
        threads.fence.store(false);
}

void Pass::enterFenced(int32_t call) noexcept
{
    if (slot != nullptr && slot->depth < Slot::kDepth)
    {
        slot->marks[slot->depth++].store(markOf(&gate, call), relaxed);
    }
    else
    {
        slot = nullptr;
        gate.unslotted.fetch_add(1);
    }
    std::atomic_thread_fence(std::memory_order_seq_cst);
    isOpen = !gate.shut.load(relaxed);
}

bool shut(Gate& gate, bool insideCall, int timeoutMs, int32_t& stuckCall) noexcept
{
    gate.shut.store(true);
    if (!threads.fence.load(relaxed) && !platform::processBarrier())
        threads.fence.store(true);
    std::atomic_thread_fence(std::memory_order_seq_cst);
    const Slot* own = threads.slots.find(threadSlots::currentThread());
    // Calls of this very thread further out (Close itself, or a call Close came from) stay.
    const int ownCalls = own == nullptr && insideCall ? 1 : 0;
    // By the clock: with many threads inside, a pass over the slots takes longer than its pause.
    const int64_t deadline = platform::monotonicMilliseconds() + timeoutMs;
    for (;;)
    {
        uint64_t inside = 0;
        for (const Slot& slot : threads.slots)
            for (const auto& each : slot.marks)
                if (const uint64_t mark = each.load(std::memory_order_acquire);
                    &slot != own && gateOf(mark) == &gate)
                    inside = mark;
        const bool unslottedInside = gate.unslotted.load(std::memory_order_acquire) > ownCalls;
        if (inside == 0 && !unslottedInside)
            return true;
        if (platform::monotonicMilliseconds() >= deadline)
        {
            stuckCall = inside != 0 ? callOf(inside) : -1;
            return false;
        }
        platform::sleepMilliseconds(1);
    }
}

void reopen(Gate& gate) noexcept
{
    gate.shut.store(false);
}
} // namespace callGate
