#include "bridge/RecordHooks.h"

namespace recordHooks
{
namespace
{
constexpr auto relaxed = std::memory_order_relaxed;

// The calling thread, after the plug-in's record went in where it changed (hosted null: not
// looked at).
recordCapture::Thread lookFirst(Session& session, const AEffect* hosted, bool processing) noexcept
{
    Recorder& recorder = session.recorder;
    const recordCapture::Thread thread = recorder.thread(processing);
    if (hosted != nullptr)
        recorder.pluginWatch().look(recorder.ring(), thread, *hosted);
    return thread;
}
} // namespace

void opcodeCall(Session& session, VstFunctionIndex function, int32_t opcode, int32_t index,
                VstIntPtr value, void* ptr, float opt) noexcept
{
    const recordCapture::Thread thread = lookFirst(session, session.vstEffect.load(relaxed), false);
    recordCapture::opcodeCall(session.recorder.ring(), thread, function, opcode, index, value, ptr,
                              opt);
}

void opcodeReturn(Session& session, VstFunctionIndex function, int32_t opcode, VstIntPtr value,
                  void* ptr, VstIntPtr result) noexcept
{
    // A closed plug-in's record may be gone.
    const bool closed = function == fnDispatcher && opcode == effClose;
    const recordCapture::Thread thread =
        lookFirst(session, closed ? nullptr : session.vstEffect.load(relaxed), false);
    recordCapture::opcodeReturn(session.recorder.ring(), thread, function, opcode, value, ptr,
                                result);
}

void processCall(Session& session, const AEffect& hosted, VstFunctionIndex function,
                 void* const* inputs, void* const* outputs, int32_t frames,
                 size_t sampleBytes) noexcept
{
    Recorder& recorder = session.recorder;
    if (!recordCapture::processCall(recorder.ring(), lookFirst(session, &hosted, true), function,
                                    inputs, outputs, frames, hosted.numInputs, hosted.numOutputs,
                                    sampleBytes))
        recorder.tooManyChannels(hosted.numInputs, hosted.numOutputs);
}

void processReturn(Session& session, const AEffect& hosted, VstFunctionIndex function,
                   void* const* outputs, int32_t frames, size_t sampleBytes) noexcept
{
    Recorder& recorder = session.recorder;
    const recordCapture::Thread thread = lookFirst(session, &hosted, true);
    // Its call was dropped for its inputs, if not for its outputs.
    if (recordCapture::tooManyChannels(hosted.numInputs, hosted.numOutputs))
        recorder.ring().drop();
    else
        recordCapture::processReturn(recorder.ring(), thread, function, outputs, frames,
                                     hosted.numOutputs, sampleBytes);
}

void parameter(Session& session, VstFunctionIndex function, bool isReturn, int32_t index,
               float value) noexcept
{
    Recorder& recorder = session.recorder;
    const recordCapture::Thread thread = lookFirst(session, session.vstEffect.load(relaxed), false);
    if (isReturn)
        recordCapture::parameterReturn(recorder.ring(), thread, function, index, value);
    else
        recordCapture::parameterCall(recorder.ring(), thread, function, index, value);
}
} // namespace recordHooks
