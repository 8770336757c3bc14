// The demo's record functions and its exported entry points.
#include "tests/plugins/demo/DemoGain.h"

using demo::DemoGain;

namespace
{
VstIntPtr dispatcher(AEffect* effect, int32_t opcode, int32_t index, VstIntPtr value, void* ptr,
                     float opt)
{
    DemoGain* gain = DemoGain::from(effect);
    if (opcode == effClose)
    {
        delete gain;
        return 1;
    }
    return gain->dispatch(opcode, index, value, ptr, opt);
}

void process(AEffect* effect, float** inputs, float** outputs, int32_t frames)
{
    DemoGain::from(effect)->process(inputs, outputs, frames, false);
}

void processReplacing(AEffect* effect, float** inputs, float** outputs, int32_t frames)
{
    DemoGain::from(effect)->process(inputs, outputs, frames, true);
}

void setParameter(AEffect* effect, int32_t index, float value)
{
    DemoGain::from(effect)->setParameter(index, value);
}

float getParameter(AEffect* effect, int32_t index)
{
    return DemoGain::from(effect)->getParameter(index);
}

AEffect* createDemoGain(audioMasterCallback audioMaster)
{
    // A host older than VST 2 gets nothing.
    if (audioMaster == nullptr || audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0) == 0)
        return nullptr;
    auto* gain = new DemoGain();
    AEffect* record = gain->record();
    record->dispatcher = dispatcher;
    record->process = process;
    record->processReplacing = processReplacing;
    record->setParameter = setParameter;
    record->getParameter = getParameter;
    return record;
}
} // namespace

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback master)
{
    return createDemoGain(master);
}

extern "C" __attribute__((visibility("default"))) AEffect* main_macho(audioMasterCallback master)
{
    return createDemoGain(master);
}
