// The forwarders' hooks into the session's recorder: with recording off each is one relaxed
// load and a branch the processor predicts; the work is out of line.
#pragma once

#include "bridge/Session.h"

namespace recordHooks
{
[[gnu::noinline]] void opcodeCall(Session& session, VstFunctionIndex function, int32_t opcode,
                                  int32_t index, VstIntPtr value, void* ptr, float opt) noexcept;
[[gnu::noinline]] void opcodeReturn(Session& session, VstFunctionIndex function, int32_t opcode,
                                    VstIntPtr value, void* ptr, VstIntPtr result) noexcept;
[[gnu::noinline]] void processCall(Session& session, const AEffect& hosted,
                                   VstFunctionIndex function, void* const* inputs,
                                   void* const* outputs, int32_t frames,
                                   size_t sampleBytes) noexcept;
[[gnu::noinline]] void processReturn(Session& session, const AEffect& hosted,
                                     VstFunctionIndex function, void* const* outputs,
                                     int32_t frames, size_t sampleBytes) noexcept;
[[gnu::noinline]] void parameter(Session& session, VstFunctionIndex function, bool isReturn,
                                 int32_t index, float value) noexcept;
} // namespace recordHooks

#define OPLEXA_RECORD(session, hook, ...)                                                          \
    do                                                                                             \
    {                                                                                              \
        if (__builtin_expect((session).recorder.on(), 0))                                          \
            recordHooks::hook(session, __VA_ARGS__);                                               \
    } while (false)
