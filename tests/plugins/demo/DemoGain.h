// The demo plug-in: a stereo gain with one parameter and three programs. One instance per
// entry call; the instance owns its record and is deleted by Close, as real plug-ins do.
#pragma once

#include "vst/VstInterface.h"

#include <atomic>
#include <string>

namespace demo
{
class DemoGain
{
public:
    DemoGain();

    AEffect* record() { return &effectRecord; }
    static DemoGain* from(AEffect* effect) { return static_cast<DemoGain*>(effect->object); }

    VstIntPtr dispatch(int32_t opcode, int32_t index, VstIntPtr value, void* ptr, float opt);
    void process(float** inputs, float** outputs, int32_t frames, bool replacing);
    void setParameter(int32_t index, float value);
    float getParameter(int32_t index) const;

    // Gain in dB for a parameter value: 0 is silence, 0.8 is unity, 1 is +12 dB.
    static double decibels(float value);

private:
    struct Program
    {
        std::string name;
        float gain;
    };
    static constexpr int kNumPrograms = 3;

    void writeGainDisplay(char* text) const;

    AEffect effectRecord{};
    Program programs[kNumPrograms];
    int32_t currentProgram = 0;
    std::atomic<float> gainParameter;
};
} // namespace demo
