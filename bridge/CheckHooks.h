// The forwarders' hooks into the session's rule checker: with checkRules off each is one relaxed
// load and a branch the processor predicts; the work is out of line. Each hook stands beside the
// recorder's hook of the same record and numbers it as a recording of the session would.
#pragma once

#include "bridge/Session.h"

namespace checkHooks
{
// Each call's hook returns the calling thread's state in the session, which its return's hook
// takes: the thread is looked up once a call.
[[gnu::noinline]] rules::ThreadState* opcodeCall(Session& session, VstFunctionIndex function,
                                                 int32_t opcode, int32_t index, VstIntPtr value,
                                                 void* ptr, float opt) noexcept;
[[gnu::noinline]] void opcodeReturn(Session& session, rules::ThreadState& thread,
                                    VstFunctionIndex function, int32_t opcode, VstIntPtr value,
                                    void* ptr, VstIntPtr result) noexcept;
[[gnu::noinline]] rules::ThreadState* processCall(Session& session, VstFunctionIndex function,
                                                  int32_t frames) noexcept;
[[gnu::noinline]] void processReturn(Session& session, rules::ThreadState& thread,
                                     VstFunctionIndex function, int32_t frames) noexcept;
[[gnu::noinline]] rules::ThreadState* parameterCall(Session& session, VstFunctionIndex function,
                                                    int32_t index, float value) noexcept;
[[gnu::noinline]] void parameterReturn(Session& session, rules::ThreadState& thread,
                                       VstFunctionIndex function, int32_t index,
                                       float value) noexcept;
// A host call the gate turned away (Close has begun, or it is over), and a callback of the
// closed plug-in: neither reaches the other side, nor a recording.
[[gnu::noinline]] void refusedCall(Session& session, VstFunctionIndex function,
                                   int32_t opcode) noexcept;
// effClose returned; the lines of the rules that fired, for the Close lines.
void closed(Session& session) noexcept;
void writeSummary(Session& session) noexcept;
} // namespace checkHooks

// A call's hook, where the session checks: the thread's state for the return's hook, else null.
#define OPLEXA_CHECK_CALL(session, hook, ...)                                                      \
    (__builtin_expect((session).checking.load(std::memory_order_relaxed), 0)                       \
         ? checkHooks::hook(session, __VA_ARGS__)                                                  \
         : nullptr)
// A return's hook, given what its call's hook returned.
#define OPLEXA_CHECK_RETURN(thread, session, hook, ...)                                            \
    do                                                                                             \
    {                                                                                              \
        if (__builtin_expect((thread) != nullptr, 0))                                              \
            checkHooks::hook(session, *(thread), __VA_ARGS__);                                     \
    } while (false)
// A hook of its own: a refused call, which has no return.
#define OPLEXA_CHECK(session, hook, ...)                                                           \
    do                                                                                             \
    {                                                                                              \
        if (__builtin_expect((session).checking.load(std::memory_order_relaxed), 0))               \
            checkHooks::hook(session, __VA_ARGS__);                                                \
    } while (false)
