// Keeps host calls out of a plug-in that is closing. Each host-to-plug-in call marks its thread's
// slot with the gate it passes; Close shuts the gate, then waits until no other thread's slot
// names it. The mark is a plain store on the call path: the closing side pays for the ordering
// with one process-wide barrier instead.
#pragma once

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
};

// Once per process, before the first call can pass.
void prepare() noexcept;

// A call that passes through the gate, for as long as it lives; open() is false when the gate
// is shut and the call must not reach the plug-in.
class Pass
{
public:
    Pass(Gate& gate, int32_t call) noexcept;
    ~Pass();
    Pass(const Pass&) = delete;
    Pass& operator=(const Pass&) = delete;

    bool open() const noexcept { return isOpen; }

private:
    Gate& gate;
    struct Slot* slot;
    Gate* previous = nullptr;
    int32_t previousCall = 0;
    bool isOpen = false;
};

// A forwarded call's number: the function's index, or 16 + the dispatcher opcode.
constexpr int32_t kDispatcherCalls = 16;

// Stops new calls and waits up to timeoutMs for those inside to leave; the calling thread's own
// calls (insideCall: it is itself inside one, Close) don't count. False when one is still
// inside; stuckCall then says which.
bool shut(Gate& gate, bool insideCall, int timeoutMs, int32_t& stuckCall) noexcept;
// Lets calls pass again, for the session's next plug-in.
void reopen(Gate& gate) noexcept;
} // namespace callGate
