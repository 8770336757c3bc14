#include "tools/host/PluginCaller.h"

#include "tools/host/AudioMaster.h"
#include "tools/host/HostLog.h"
#include "tools/host/HostOpcodes.h"

#include <cstdlib>
#include <string>

namespace host
{
void PluginCaller::requireOpen(const char* what) const
{
    if (closed)
    {
        hostLog().problem("internal error: %s after Close", what);
        std::abort();
    }
}

VstIntPtr PluginCaller::dispatch(int32_t opcode, int32_t index, VstIntPtr value, void* ptr,
                                 float opt)
{
    // Texts are bounded: the host's own buffers are far larger than a log line.
    constexpr size_t kShownText = 256;
    std::string given;
    if (ptr != nullptr && dispatcherTakesText(opcode))
        given = " " + quoted(static_cast<const char*>(ptr), kShownText);
    const VstIntPtr result = dispatchQuietly(opcode, index, value, ptr, opt);
    std::string written;
    if (ptr != nullptr && dispatcherReturnsText(opcode))
        written = " " + quoted(static_cast<const char*>(ptr), kShownText);
    hostLog().line("dispatcher(opcode=%d %s, index=%d, value=%ld, ptr=%p%s, opt=%g) -> %ld%s",
                   opcode, dispatcherOpcodeName(opcode), index, static_cast<long>(value), ptr,
                   given.c_str(), static_cast<double>(opt), static_cast<long>(result),
                   written.c_str());
    return result;
}

VstIntPtr PluginCaller::dispatchQuietly(int32_t opcode, int32_t index, VstIntPtr value, void* ptr,
                                        float opt)
{
    requireOpen("dispatcher");
    if (effect->dispatcher == nullptr)
        return 0;
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

float PluginCaller::getParameter(int32_t index)
{
    requireOpen("getParameter");
    if (effect->getParameter == nullptr)
        return 0.0f;
    const float value = effect->getParameter(effect, index);
    hostLog().line("getParameter(index=%d) -> %g", index, static_cast<double>(value));
    return value;
}

void PluginCaller::setParameter(int32_t index, float value)
{
    requireOpen("setParameter");
    if (effect->setParameter != nullptr)
    {
        hostLog().line("setParameter(index=%d, value=%g)", index, static_cast<double>(value));
        effect->setParameter(effect, index, value);
    }
}

void PluginCaller::process(float** inputs, float** outputs, int32_t frames)
{
    requireOpen("process");
    RealtimeScope realtime;
    if (canReplace() && effect->processReplacing != nullptr)
        effect->processReplacing(effect, inputs, outputs, frames);
    else if (effect->process != nullptr)
        effect->process(effect, inputs, outputs, frames);
}

void PluginCaller::processDouble(double** inputs, double** outputs, int32_t frames)
{
    requireOpen("processDoubleReplacing");
    RealtimeScope realtime;
    if (effect->processDoubleReplacing != nullptr)
        effect->processDoubleReplacing(effect, inputs, outputs, frames);
}

VstIntPtr PluginCaller::close()
{
    const VstIntPtr result = dispatch(effClose);
    closed = true;
    hostState().effect.store(nullptr);
    return result;
}
} // namespace host
