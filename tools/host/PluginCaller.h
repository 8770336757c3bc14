// Every call the host makes on a plug-in's record goes through here: it is logged, it gets
// the record the entry point returned, and nothing reaches the record after Close.
#pragma once

#include "vst/VstInterface.h"

namespace host
{
class PluginCaller
{
public:
    explicit PluginCaller(AEffect* called) : effect(called) {}

    VstIntPtr dispatch(int32_t opcode, int32_t index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f);
    // The same without a log line, for the threaded loops.
    VstIntPtr dispatchQuietly(int32_t opcode, int32_t index = 0, VstIntPtr value = 0,
                              void* ptr = nullptr, float opt = 0.0f);
    float getParameter(int32_t index);
    void setParameter(int32_t index, float value);
    // processReplacing, or process when the plug-in cannot replace.
    void process(float** inputs, float** outputs, int32_t frames);
    // processDoubleReplacing, whatever the flags say; nothing when the record has none.
    void processDouble(double** inputs, double** outputs, int32_t frames);

    // Close, then never again a call.
    VstIntPtr close();

    AEffect& record() const { return *effect; }
    bool canReplace() const { return (effect->flags & effFlagsCanReplacing) != 0; }

private:
    void requireOpen(const char* what) const;

    AEffect* effect;
    bool closed = false;
};
} // namespace host
