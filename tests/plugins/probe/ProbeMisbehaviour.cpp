// What the misbehaviour switches do. Everything here keeps the probe's own code running for
// as long as possible, so that a host or proxy that unloads the probe too early is caught in it.
#include "tests/plugins/probe/ProbeState.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <exception>
#include <thread>

namespace probe
{
namespace
{
// Its destructor and type information live in the probe: whoever catches it must destroy it
// while the probe is still loaded.
class ProbeOwnError : public std::exception
{
public:
    ~ProbeOwnError() override;
    const char* what() const noexcept override;
};

ProbeOwnError::~ProbeOwnError() = default;

const char* ProbeOwnError::what() const noexcept
{
    return "the probe's own error";
}

// Never destroyed: a host that exits without Close leaves it running, and a joinable
// std::thread destroyed at exit would abort the process.
std::thread* worker = nullptr;
std::atomic<bool> workerStop{false};
std::atomic<int64_t> workerTicks{0};

// Runs rather than sleeps, yielding the processor: a thread asleep in the probe when it is
// unloaded may not wake before the process ends, a running one is caught at once.
void keepBusy(int32_t ms)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end)
        std::this_thread::yield();
}

void work()
{
    while (!workerStop.load())
    {
        keepBusy(1);
        workerTicks.fetch_add(1);
    }
}
} // namespace

void misbehaveInProcess()
{
    keepBusy(state().misbehaviour.processSleepMs);
    // Without audioMasterIOChanged, as ZaMaximX2 does.
    if (const int32_t delay = state().misbehaviour.processDelay; delay >= 0)
        __atomic_store_n(&state().record.initialDelay, delay, __ATOMIC_RELAXED);
}

void misbehaveInDispatcher(int32_t opcode)
{
    const Misbehaviour& m = state().misbehaviour;
    // A negative switch means none: hosts and tests dispatch negative opcodes too.
    if (m.crashOpcode >= 0 && opcode == m.crashOpcode)
    {
        if (m.crashWithAbort)
            std::abort();
        if (m.crashWithThrow)
            throw ProbeOwnError();
        std::raise(SIGSEGV);
    }
    while (m.hangOpcode >= 0 && opcode == m.hangOpcode)
        std::this_thread::sleep_for(std::chrono::seconds(1));
    if (opcode == effOpen && m.worker && worker == nullptr)
    {
        workerStop.store(false);
        worker = new std::thread(work);
    }
    breakInDispatcher(opcode);
    if (opcode == effClose)
    {
        keepBusy(m.closeSleepMs);
        if (worker != nullptr)
        {
            workerStop.store(true);
            worker->join();
            delete worker;
            worker = nullptr;
        }
    }
}

void throwOwnError()
{
    throw ProbeOwnError();
}
} // namespace probe
