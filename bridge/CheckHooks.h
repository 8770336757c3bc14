// The forwarders' hooks into the session's rule checker: with checkRules off each is one relaxed
// load and a branch the processor predicts; the work is out of line. Each hook stands beside the
// recorder's hook of the same record and numbers it as a recording of the session would.
#pragma once

#include "bridge/Session.h"

namespace checkHooks
{
[[gnu::noinline]] void opcodeCall(Session& session, VstFunctionIndex function, int32_t opcode,
                                  int32_t index, VstIntPtr value, void* ptr, float opt) noexcept;
[[gnu::noinline]] void opcodeReturn(Session& session, VstFunctionIndex function, int32_t opcode,
                                    VstIntPtr value, void* ptr, VstIntPtr result) noexcept;
[[gnu::noinline]] void processCall(Session& session, VstFunctionIndex function,
                                   int32_t frames) noexcept;
[[gnu::noinline]] void processReturn(Session& session, VstFunctionIndex function,
                                     int32_t frames) noexcept;
[[gnu::noinline]] void parameter(Session& session, VstFunctionIndex function, bool isReturn,
                                 int32_t index, float value) noexcept;
// A host call the gate turned away (Close has begun, or it is over), and a callback of the
// closed plug-in: neither reaches the other side, nor a recording.
[[gnu::noinline]] void refusedCall(Session& session, VstFunctionIndex function,
                                   int32_t opcode) noexcept;
// effClose returned; the lines of the rules that fired, for the Close lines.
void closed(Session& session) noexcept;
void writeSummary(Session& session) noexcept;
} // namespace checkHooks

#define OPLEXA_CHECK(session, hook, ...)                                                           \
    do                                                                                             \
    {                                                                                              \
        if (__builtin_expect((session).checking.load(std::memory_order_relaxed), 0))               \
            checkHooks::hook(session, __VA_ARGS__);                                                \
    } while (false)
