#include "bridge/CallbackPool.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <utility>

namespace callbackPool
{
namespace
{
// Read by callbacks on any thread; sessions are never freed while a callback can run.
std::atomic<Session*> owners[kCallbacks];
// When each index was last given back, to take the one free longest first.
uint64_t givenBack[kCallbacks];
uint64_t givenBackSoFar = 0;

template <int index>
VstIntPtr callback(AEffect* effect, int32_t opcode, int32_t argument, VstIntPtr value, void* ptr,
                   float opt)
{
    Session* session = owners[index].load(std::memory_order_acquire);
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
    int oldest = -1;
    for (int index = 0; index < kCallbacks; ++index)
        if (owners[index].load(std::memory_order_relaxed) == nullptr &&
            (oldest < 0 || givenBack[index] < givenBack[oldest]))
            oldest = index;
    if (oldest >= 0)
        handOver(oldest, session);
    return oldest;
}

void handOver(int index, Session& session) noexcept
{
    owners[index].store(&session, std::memory_order_release);
}

void giveBack(int index) noexcept
{
    if (index < 0 || index >= kCallbacks)
        return;
    owners[index].store(nullptr, std::memory_order_release);
    givenBack[index] = ++givenBackSoFar;
}

void giveBackAll() noexcept
{
    for (int index = 0; index < kCallbacks; ++index)
        giveBack(index);
}
} // namespace callbackPool
