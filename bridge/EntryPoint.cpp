// The module's exported entry point: one hosted plug-in per loaded Oplexa module.
#include "bridge/BridgeState.h"
#include "bridge/ProxyEffect.h"
#include "logger/OXLogger.h"

#include <cstring>

std::atomic<AEffect*> vstEffect{nullptr};
std::atomic<audioMasterCallback> vstAudioMaster{nullptr};

namespace
{
// Set while one call of the entry point starts Oplexa: a second call at the same moment, from
// another thread or from a hosted module that calls back into it (Oplexa chosen to host
// itself), is refused instead of starting twice.
std::atomic<bool> starting{false};

void copyAEffect(const AEffect& hosted)
{
    std::memcpy(&proxyEffect, &hosted, sizeof(AEffect));
    proxyEffect.dispatcher = proxyDispatcher;
    proxyEffect.process = proxyProcess;
    proxyEffect.setParameter = proxySetParameter;
    proxyEffect.getParameter = proxyGetParameter;
    proxyEffect.processReplacing = proxyProcessReplacing;
    // Null stays null: the host must see the hosted plug-in's capability unchanged.
    if (hosted.processDoubleReplacing != nullptr)
        proxyEffect.processDoubleReplacing = proxyProcessDoubleReplacing;
}

// Claimed before vstEffect is read: whoever gets the claim sees the record of any start that
// finished before.
bool claimStart() noexcept
{
    if (starting.exchange(true))
        return false;
    if (vstEffect.load() == nullptr)
        return true;
    starting = false;
    return false;
}

AEffect* startHosting(audioMasterCallback audioMaster)
{
    startOplexa();
    AEffect* hosted = loadVstPlugin(audioMaster);
    if (hosted == nullptr)
    {
        stopOplexa();
        return nullptr;
    }
    vstEffect = hosted;
    copyAEffect(*hosted);
    openMonitorWindow();
    return &proxyEffect;
}

AEffect* hostPlugin(audioMasterCallback audioMaster)
{
    if (!claimStart())
    {
        oxLogger.log("Oplexa is exiting VST main function with NULL since we are already hosting "
                     "a plugin");
        return nullptr;
    }
    AEffect* proxy = nullptr;
    try
    {
        proxy = startHosting(audioMaster);
    }
    catch (...)
    {
        // Undone like a failed load, so that the next call starts afresh.
        try
        {
            vstEffect = nullptr;
            stopOplexa();
        }
        catch (...)
        {
        }
    }
    starting = false;
    return proxy;
}
} // namespace

extern "C" __attribute__((visibility("default"))) AEffect*
VSTPluginMain(audioMasterCallback audioMaster)
{
    try
    {
        return hostPlugin(audioMaster);
    }
    catch (...)
    {
        return nullptr;
    }
}

extern "C" __attribute__((visibility("default"))) AEffect*
main_macho(audioMasterCallback audioMaster)
{
    return VSTPluginMain(audioMaster);
}
