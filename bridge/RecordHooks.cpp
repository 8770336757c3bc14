#include "bridge/RecordHooks.h"

namespace recordHooks
{
void opcodeCall(Session& session, VstFunctionIndex function, int32_t opcode, int32_t index,
                VstIntPtr value, void* ptr, float opt) noexcept
{
    Recorder& recorder = session.recorder;
    recordCapture::opcodeCall(recorder.ring(), recorder.thread(false), function, opcode, index,
                              value, ptr, opt);
}

void opcodeReturn(Session& session, VstFunctionIndex function, int32_t opcode, VstIntPtr value,
                  void* ptr, VstIntPtr result) noexcept
{
    Recorder& recorder = session.recorder;
    recordCapture::opcodeReturn(recorder.ring(), recorder.thread(false), function, opcode, value,
                                ptr, result);
}

void processCall(Session& session, const AEffect& hosted, VstFunctionIndex function,
                 void* const* inputs, void* const* outputs, int32_t frames,
                 size_t sampleBytes) noexcept
{
    Recorder& recorder = session.recorder;
    if (!recordCapture::processCall(recorder.ring(), recorder.thread(true), function, inputs,
                                    outputs, frames, hosted.numInputs, hosted.numOutputs,
                                    sampleBytes))
        recorder.tooManyChannels(hosted.numInputs, hosted.numOutputs);
}

void processReturn(Session& session, const AEffect& hosted, VstFunctionIndex function,
                   void* const* outputs, int32_t frames, size_t sampleBytes) noexcept
{
    Recorder& recorder = session.recorder;
    // Its call was dropped for its inputs, if not for its outputs.
    if (recordCapture::tooManyChannels(hosted.numInputs, hosted.numOutputs))
        recorder.ring().drop();
    else
        recordCapture::processReturn(recorder.ring(), recorder.thread(true), function, outputs,
                                     frames, hosted.numOutputs, sampleBytes);
}

void parameter(Session& session, VstFunctionIndex function, bool isReturn, int32_t index,
               float value) noexcept
{
    Recorder& recorder = session.recorder;
    if (isReturn)
        recordCapture::parameterReturn(recorder.ring(), recorder.thread(false), function, index,
                                       value);
    else
        recordCapture::parameterCall(recorder.ring(), recorder.thread(false), function, index,
                                     value);
}
} // namespace recordHooks
