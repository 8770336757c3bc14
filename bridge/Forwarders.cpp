// The six functions of the proxy record and the callback handed to the hosted plug-in.
// Each reports the call, passes it on and reports the return. They run on any
// thread the host or the hosted plug-in calls from, several at once; nothing here locks,
// allocates or throws into the caller. With nothing hosted (before loading, after "Close")
// they return 0 and touch no released record.
//
// Every function of the hosted plug-in gets its own record, never the proxy the host passed:
// plug-ins such as DPF's keep their instance data right behind the record they handed out and
// would read past the proxy otherwise.
#include "bridge/BridgeState.h"
#include "bridge/ProxyEffect.h"
#include "logger/CountSummary.h"
#include "logger/OXLogger.h"

namespace
{
constexpr auto relaxed = std::memory_order_relaxed;

// The editor opcodes run with the hosted module's resources current.
bool switchesResources(int32_t opcode) noexcept
{
    switch (opcode)
    {
    case effEditOpen:
    case effEditDraw:
    case effEditMouse:
    case effEditKey:
    case effEditTop:
    case effEditKeyDown:
    case effEditKeyUp:
        return true;
    default:
        return false;
    }
}

VstIntPtr dispatchToHosted(AEffect* hosted, int32_t opcode, int32_t index, VstIntPtr value,
                           void* ptr, float opt)
{
    if (!switchesResources(opcode))
        return hosted->dispatcher(hosted, opcode, index, value, ptr, opt);
    const platform::ResourceRef saved = platform::currentResources();
    platform::useResources(bundleRes);
    const VstIntPtr result = hosted->dispatcher(hosted, opcode, index, value, ptr, opt);
    if (saved != 0)
        platform::useResources(saved);
    return result;
}
} // namespace

VstIntPtr proxyDispatcher(AEffect*, int32_t opcode, int32_t index, VstIntPtr value, void* ptr,
                          float opt)
{
    try
    {
        oxLogger.logVstDispatcher(opcode, index, value, ptr, opt);
        AEffect* hosted = vstEffect.load(relaxed);
        if (hosted == nullptr || hosted->dispatcher == nullptr)
            return 0;
        const VstIntPtr result = dispatchToHosted(hosted, opcode, index, value, ptr, opt);
        oxLogger.logVstDispatcherReturn(opcode, ptr, result);
        if (opcode == effClose)
        {
            writeCountSummary(oxLogger);
            // Nothing may reach the released record once shutdown starts unloading it.
            vstEffect = nullptr;
            stopOplexa();
        }
        return result;
    }
    catch (...)
    {
        return 0;
    }
}

// Host's audio thread, mostly.
void proxyProcess(AEffect*, float** inputs, float** outputs, int32_t sampleFrames)
{
    try
    {
        oxLogger.logVstProcess(inputs, outputs, sampleFrames, false);
        AEffect* hosted = vstEffect.load(relaxed);
        if (hosted != nullptr && hosted->process != nullptr)
            hosted->process(hosted, inputs, outputs, sampleFrames);
    }
    catch (...)
    {
    }
}

// Host's audio thread, mostly.
void proxyProcessReplacing(AEffect*, float** inputs, float** outputs, int32_t sampleFrames)
{
    try
    {
        oxLogger.logVstProcess(inputs, outputs, sampleFrames, true);
        AEffect* hosted = vstEffect.load(relaxed);
        if (hosted != nullptr && hosted->processReplacing != nullptr)
            hosted->processReplacing(hosted, inputs, outputs, sampleFrames);
    }
    catch (...)
    {
    }
}

// Host's audio thread; only hosts that process in double precision call it.
void proxyProcessDoubleReplacing(AEffect*, double** inputs, double** outputs, int32_t sampleFrames)
{
    try
    {
        oxLogger.logVstProcessDoubleReplacing(inputs, outputs, sampleFrames);
        AEffect* hosted = vstEffect.load(relaxed);
        if (hosted != nullptr && hosted->processDoubleReplacing != nullptr)
            hosted->processDoubleReplacing(hosted, inputs, outputs, sampleFrames);
    }
    catch (...)
    {
    }
}

// Hosts call this from the audio thread for automation and from the UI thread for edits.
void proxySetParameter(AEffect*, int32_t index, float value)
{
    try
    {
        oxLogger.logVstSetParameter(index, value);
        AEffect* hosted = vstEffect.load(relaxed);
        if (hosted != nullptr && hosted->setParameter != nullptr)
            hosted->setParameter(hosted, index, value);
    }
    catch (...)
    {
    }
}

float proxyGetParameter(AEffect*, int32_t index)
{
    try
    {
        oxLogger.logVstGetParameter(index);
        AEffect* hosted = vstEffect.load(relaxed);
        if (hosted == nullptr || hosted->getParameter == nullptr)
            return 0.0f;
        const float value = hosted->getParameter(hosted, index);
        oxLogger.logVstGetParameterReturn(value);
        return value;
    }
    catch (...)
    {
        return 0.0f;
    }
}

// The hosted plug-in calls this from any of its threads, also from inside its entry point
// before the proxy record is filled.
VstIntPtr proxyAudioMaster(AEffect*, int32_t opcode, int32_t index, VstIntPtr value, void* ptr,
                           float opt)
{
    try
    {
        oxLogger.logVstAudioMaster(opcode, index, value, ptr, opt);
        const audioMasterCallback host = vstAudioMaster.load(relaxed);
        if (host == nullptr)
            return 0;
        // The host always sees the proxy record, whatever pointer the plug-in passed.
        const VstIntPtr result = host(&proxyEffect, opcode, index, value, ptr, opt);
        oxLogger.logVstAudioMasterReturn(opcode, ptr, result);
        return result;
    }
    catch (...)
    {
        return 0;
    }
}
