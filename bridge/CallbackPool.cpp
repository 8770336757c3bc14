#include "bridge/CallbackPool.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <utility>

namespace callbackPool
{
namespace
{
template <int index>
VstIntPtr callback(AEffect* effect, int32_t opcode, int32_t argument, VstIntPtr value, void* ptr,
                   float opt)
{
    Session* session = Process::get().callbackOwners[index].load(std::memory_order_acquire);
    if (session == nullptr)
        return 0;
    return forwardCallback(*session, effect, opcode, argument, value, ptr, opt);
}

template <int... index> constexpr auto makeFunctions(std::integer_sequence<int, index...>)
{
    return std::array<audioMasterCallback, sizeof...(index)>{&callback<index>...};
}

constexpr auto functions = makeFunctions(std::make_integer_sequence<int, kCallbacks>());
} // namespace

audioMasterCallback function(int index) noexcept
{
    return index >= 0 && index < kCallbacks ? functions[static_cast<size_t>(index)] : nullptr;
}

int take(Session& session) noexcept
{
    const Process& process = Process::get();
    int oldest = -1;
    for (int index = 0; index < kCallbacks; ++index)
        if (process.callbackOwners[index].load(std::memory_order_relaxed) == nullptr &&
            (oldest < 0 || process.callbackGivenBack[index] < process.callbackGivenBack[oldest]))
            oldest = index;
    if (oldest >= 0)
        handOver(oldest, session);
    return oldest;
}

void handOver(int index, Session& session) noexcept
{
    Process::get().callbackOwners[index].store(&session, std::memory_order_release);
}

void giveBack(int index) noexcept
{
    if (index < 0 || index >= kCallbacks)
        return;
    Process::get().callbackOwners[index].store(nullptr, std::memory_order_release);
    Process::get().callbackGivenBack[index] = ++Process::get().callbacksGivenBackSoFar;
}

void giveBackAll() noexcept
{
    for (int index = 0; index < kCallbacks; ++index)
        giveBack(index);
}
} // namespace callbackPool
