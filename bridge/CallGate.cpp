#include "bridge/CallGate.h"

#include "bridge/Platform.h"

namespace callGate
{
namespace
{
constexpr auto relaxed = std::memory_order_relaxed;
constexpr int kSlots = 1024;
} // namespace

// One cache line per thread, so that audio threads don't share one.
struct alignas(64) Slot
{
    std::atomic<int> owner{0}; // the kernel's thread id, 0 while free
    std::atomic<Gate*> gate{nullptr};
    std::atomic<int32_t> call{0};
};

namespace
{
Slot slots[kSlots];
// Without a process-wide barrier every call fences on its own.
std::atomic<bool> callsFence{true};

// Initial-exec: a dlopen'ed module's dynamic TLS would allocate on a thread's first call.
thread_local Slot* threadSlot __attribute__((tls_model("initial-exec"))) = nullptr;

bool claim(Slot& slot, int owner, bool takeOver) noexcept
{
    int expected = slot.owner.load(relaxed);
    if (expected == 0 ? takeOver : !takeOver || platform::threadRuns(expected))
        return false;
    return slot.owner.compare_exchange_strong(expected, owner);
}

// A thread's first call claims a free slot, or one whose thread has ended; with none left the
// thread counts on its gate's shared counter instead.
Slot* slotOfThisThread() noexcept
{
    if (threadSlot != nullptr)
        return threadSlot;
    const int self = platform::threadId();
    for (const bool takeOver : {false, true})
        for (Slot& slot : slots)
            if (claim(slot, self, takeOver))
            {
                slot.gate.store(nullptr, relaxed);
                return threadSlot = &slot;
            }
    return nullptr;
}
} // namespace

void prepare() noexcept
{
    if (platform::registerProcessBarrier())
        callsFence.store(false);
}

Pass::Pass(Gate& passed, int32_t call) noexcept : gate(passed), slot(slotOfThisThread())
{
    if (slot != nullptr)
    {
        // Nested calls (a host answering the plug-in's callback with a call) keep the outer mark.
        previous = slot->gate.load(relaxed);
        previousCall = slot->call.load(relaxed);
        slot->call.store(call, relaxed);
        slot->gate.store(&gate, relaxed);
    }
    else
    {
        gate.unslotted.fetch_add(1);
    }
    if (callsFence.load(relaxed) || slot == nullptr)
        std::atomic_thread_fence(std::memory_order_seq_cst);
    else
        std::atomic_signal_fence(std::memory_order_seq_cst);
    isOpen = !gate.shut.load(relaxed);
}

Pass::~Pass()
{
    if (slot == nullptr)
    {
        gate.unslotted.fetch_sub(1, std::memory_order_release);
        return;
    }
    slot->gate.store(previous, std::memory_order_release);
    slot->call.store(previousCall, relaxed);
}

bool shut(Gate& gate, bool insideCall, int timeoutMs, int32_t& stuckCall) noexcept
{
    gate.shut.store(true);
    if (!callsFence.load(relaxed) && !platform::processBarrier())
        std::atomic_thread_fence(std::memory_order_seq_cst);
    std::atomic_thread_fence(std::memory_order_seq_cst);
    const Slot* own = threadSlot;
    // Calls of this very thread further out (Close itself, or a call Close came from) stay.
    const int ownCalls = own == nullptr && insideCall ? 1 : 0;
    for (int waited = 0;; ++waited)
    {
        const Slot* inside = nullptr;
        for (const Slot& slot : slots)
            if (&slot != own && slot.gate.load(std::memory_order_acquire) == &gate)
                inside = &slot;
        const bool unslottedInside = gate.unslotted.load(std::memory_order_acquire) > ownCalls;
        if (inside == nullptr && !unslottedInside)
            return true;
        if (waited >= timeoutMs)
        {
            stuckCall = inside != nullptr ? inside->call.load(relaxed) : -1;
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
