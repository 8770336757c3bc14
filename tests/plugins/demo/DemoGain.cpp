#include "tests/plugins/demo/DemoGain.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace demo
{
namespace
{
constexpr int32_t kDemoId = ('O' << 24) | ('x' << 16) | ('G' << 8) | 'n';
constexpr double kMinDecibels = -48.0;
constexpr double kDecibelRange = 60.0;
// The nominal string sizes of the VST 2 interface: 8 for parameter texts, 24 for program
// names, 64 for effect, vendor and product names.
constexpr size_t kParamTextSize = 8;
constexpr size_t kProgramNameSize = 24;
constexpr size_t kNameSize = 64;

void copyText(void* ptr, const char* text, size_t size)
{
    if (ptr != nullptr)
        std::snprintf(static_cast<char*>(ptr), size, "%s", text);
}
} // namespace

DemoGain::DemoGain()
    : programs{{"Unity", 0.8f}, {"Quiet", 0.6f}, {"Boost", 0.9f}}, gainParameter(programs[0].gain)
{
    effectRecord.magic = kEffectMagic;
    effectRecord.numPrograms = kNumPrograms;
    effectRecord.numParams = 1;
    effectRecord.numInputs = 2;
    effectRecord.numOutputs = 2;
    effectRecord.flags = effFlagsCanReplacing;
    effectRecord.ioRatio = 1.0f;
    effectRecord.object = this;
    effectRecord.uniqueID = kDemoId;
    effectRecord.version = 1100;
}

double DemoGain::decibels(float value)
{
    return kMinDecibels + kDecibelRange * static_cast<double>(value);
}

void DemoGain::writeGainDisplay(char* text) const
{
    const float value = gainParameter.load();
    if (value <= 0.0f)
        std::snprintf(text, kParamTextSize, "-inf");
    else
        std::snprintf(text, kParamTextSize, "%.1f", decibels(value));
}

VstIntPtr DemoGain::dispatch(int32_t opcode, int32_t index, VstIntPtr value, void* ptr, float)
{
    switch (opcode)
    {
    case effSetProgram:
        if (value >= 0 && value < kNumPrograms)
        {
            currentProgram = static_cast<int32_t>(value);
            gainParameter.store(programs[currentProgram].gain);
        }
        return 0;
    case effGetProgram:
        return currentProgram;
    case effSetProgramName:
        if (ptr != nullptr)
            programs[currentProgram].name.assign(
                static_cast<const char*>(ptr),
                strnlen(static_cast<const char*>(ptr), kProgramNameSize - 1));
        return 0;
    case effGetProgramName:
        copyText(ptr, programs[currentProgram].name.c_str(), kProgramNameSize);
        return 0;
    case effGetProgramNameIndexed:
        if (index < 0 || index >= kNumPrograms)
            return 0;
        copyText(ptr, programs[index].name.c_str(), kProgramNameSize);
        return 1;
    case effGetParamName:
        copyText(ptr, index == 0 ? "Gain" : "", kParamTextSize);
        return 0;
    case effGetParamLabel:
        copyText(ptr, index == 0 ? "dB" : "", kParamTextSize);
        return 0;
    case effGetParamDisplay:
        if (index == 0 && ptr != nullptr)
            writeGainDisplay(static_cast<char*>(ptr));
        return 0;
    case effCanBeAutomated:
        return index == 0 ? 1 : 0;
    case effGetPlugCategory:
        return 1; // an effect
    case effGetEffectName:
        copyText(ptr, "Oplexa Demo Gain", kNameSize);
        return 1;
    case effGetVendorString:
        copyText(ptr, "Oplexa", kNameSize);
        return 1;
    case effGetProductString:
        copyText(ptr, "Oplexa Demo Gain", kNameSize);
        return 1;
    case effGetVendorVersion:
        return 1100;
    case effGetVstVersion:
        return 2400;
    default:
        return 0;
    }
}

void DemoGain::process(float** inputs, float** outputs, int32_t frames, bool replacing)
{
    const float value = gainParameter.load();
    const float gain =
        value <= 0.0f ? 0.0f : static_cast<float>(std::pow(10.0, decibels(value) / 20.0));
    for (int channel = 0; channel < 2; ++channel)
    {
        const float* in = inputs[channel];
        float* out = outputs[channel];
        for (int32_t i = 0; i < frames; ++i)
            out[i] = replacing ? in[i] * gain : out[i] + in[i] * gain;
    }
}

void DemoGain::setParameter(int32_t index, float value)
{
    if (index != 0)
        return;
    const float clamped = value < 0.0f ? 0.0f : (value > 1.0f ? 1.0f : value);
    gainParameter.store(clamped);
    programs[currentProgram].gain = clamped;
}

float DemoGain::getParameter(int32_t index) const
{
    return index == 0 ? gainParameter.load() : 0.0f;
}
} // namespace demo
