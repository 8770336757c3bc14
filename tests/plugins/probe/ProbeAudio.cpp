#include "tests/plugins/probe/ProbeState.h"

namespace probe
{
namespace
{
// output = input * gain (parameter 0); output channel c takes input c modulo the inputs.
void render(float** inputs, float** outputs, int32_t frames, bool replacing)
{
    const AEffect& record = state().record;
    const float gain = state().params[0].load();
    for (int32_t c = 0; c < record.numOutputs; ++c)
    {
        if (c == state().misbehaviour.unwrittenOutput)
            continue;
        float* out = outputs[c];
        const float* in = record.numInputs > 0 ? inputs[c % record.numInputs] : nullptr;
        for (int32_t i = 0; i < frames; ++i)
        {
            const float sample = in != nullptr ? in[i] * gain : 0.0f;
            out[i] = replacing ? sample : out[i] + sample;
        }
    }
}

void noteProcess(int32_t function, AEffect* effect, float** inputs, float** outputs, int32_t frames)
{
    ProbeState& s = state();
    noteCall(function, effect);
    ProbeProcessCall call{};
    call.effect = effect;
    call.inputs = inputs;
    call.outputs = outputs;
    call.sampleFrames = frames;
    call.sequence = nextSequence();
    call.count = s.functionCounts[static_cast<size_t>(function)].load();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.lastProcess[function == kProbeProcess ? 0 : 1] = call;
}

void noteParameter(int32_t function, AEffect* effect, int32_t index, float value)
{
    ProbeState& s = state();
    ProbeParameterCall call{};
    call.effect = effect;
    call.index = index;
    call.value = value;
    call.sequence = nextSequence();
    call.count = s.functionCounts[static_cast<size_t>(function)].load();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.lastParameter[function == kProbeSetParameter ? 0 : 1] = call;
}

bool validParam(int32_t index)
{
    return index >= 0 && index < state().record.numParams && index < kMaxParams;
}
} // namespace

void process(AEffect* effect, float** inputs, float** outputs, int32_t sampleFrames)
{
    noteProcess(kProbeProcess, effect, inputs, outputs, sampleFrames);
    misbehaveInProcess();
    render(inputs, outputs, sampleFrames, false);
    breakInProcess(outputs, sampleFrames);
    makeMasterCalls(kProbeInProcess);
}

void processReplacing(AEffect* effect, float** inputs, float** outputs, int32_t sampleFrames)
{
    noteProcess(kProbeProcessReplacing, effect, inputs, outputs, sampleFrames);
    misbehaveInProcess();
    render(inputs, outputs, sampleFrames, true);
    breakInProcess(outputs, sampleFrames);
    makeMasterCalls(kProbeInProcess);
}

// output = input * gain in double precision, as render does in single.
void processDoubleReplacing(AEffect* effect, double** inputs, double** outputs,
                            int32_t sampleFrames)
{
    noteCall(kProbeProcessDoubleReplacing, effect);
    const AEffect& record = state().record;
    const double gain = state().params[0].load();
    for (int32_t c = 0; c < record.numOutputs; ++c)
        for (int32_t i = 0; i < sampleFrames; ++i)
            outputs[c][i] = record.numInputs > 0 ? inputs[c % record.numInputs][i] * gain : 0.0;
}

void setParameter(AEffect* effect, int32_t index, float value)
{
    noteCall(kProbeSetParameter, effect);
    if (validParam(index))
        state().params[static_cast<size_t>(index)].store(value);
    noteParameter(kProbeSetParameter, effect, index, value);
    makeMasterCalls(kProbeInSetParameter);
}

float getParameter(AEffect* effect, int32_t index)
{
    noteCall(kProbeGetParameter, effect);
    const float value = breakInGetParameter(
        index, validParam(index) ? state().params[static_cast<size_t>(index)].load() : 0.0f);
    noteParameter(kProbeGetParameter, effect, index, value);
    return value;
}
} // namespace probe
