// What the misbehaviour switches do. Everything here runs the probe's own code on purpose for
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

void work()
{
    while (!workerStop.load())
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        workerTicks.fetch_add(1);
    }
}

void sleepMs(int32_t ms)
{
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
} // namespace

void sleepInProcess()
{
    sleepMs(state().misbehaviour.processSleepMs);
}

void misbehaveInDispatcher(int32_t opcode)
{
    const Misbehaviour& m = state().misbehaviour;
    if (opcode == m.crashOpcode)
    {
        if (m.crashWithAbort)
            std::abort();
        std::raise(SIGSEGV);
    }
    while (opcode == m.hangOpcode)
        sleepMs(1000);
    if (opcode == effOpen && m.worker && worker == nullptr)
    {
        workerStop.store(false);
        worker = new std::thread(work);
    }
    if (opcode == effClose)
    {
        sleepMs(m.closeSleepMs);
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
