#include "logger/AlternateSignalStack.h"

#include <csignal>
#include <new>

namespace
{
constexpr size_t kSize = 64 * 1024;
} // namespace

AlternateSignalStack::AlternateSignalStack() noexcept
{
    stack_t current{};
    if (sigaltstack(nullptr, &current) != 0 || (current.ss_flags & SS_DISABLE) == 0)
        return;
    memory.reset(new (std::nothrow) char[kSize]);
    stack_t stack{};
    stack.ss_sp = memory.get();
    stack.ss_size = kSize;
    if (memory == nullptr || sigaltstack(&stack, nullptr) != 0)
        memory.reset();
}

AlternateSignalStack::~AlternateSignalStack()
{
    if (memory == nullptr)
        return;
    stack_t off{};
    off.ss_flags = SS_DISABLE;
    sigaltstack(&off, nullptr);
}
