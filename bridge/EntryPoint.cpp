// The module's exported entry point: one hosted plug-in per loaded Oplexa module.
#include "bridge/EntryPoint.h"

#include "bridge/Forwarders.h"
#include "bridge/Lifecycle.h"
#include "bridge/MonitorWindow.h"
#include "bridge/PluginLoader.h"
#include "logger/OXLogger.h"

#include <cstring>

std::atomic<AEffect*> vstEffect{nullptr};
std::atomic<audioMasterCallback> vstAudioMaster{nullptr};
// Zero-filled at load and never cleared: it keeps its last content after "Close".
AEffect proxyEffect{};

namespace
{
// Set while main_macho runs, so a hosted module that calls back into it (Oplexa chosen to host
// itself) is refused instead of recursing.
bool starting = false;

void copyAEffect(const AEffect& hosted)
{
    std::memcpy(&proxyEffect, &hosted, sizeof(AEffect));
    proxyEffect.dispatcher = proxyDispatcher;
    proxyEffect.process = proxyProcess;
    proxyEffect.setParameter = proxySetParameter;
    proxyEffect.getParameter = proxyGetParameter;
    proxyEffect.processReplacing = proxyProcessReplacing;
}

AEffect* hostPlugin(audioMasterCallback audioMaster)
{
    if (vstEffect.load() != nullptr || starting)
    {
        oxLogger.log("Oplexa is exiting VST main function with NULL since we are already hosting "
                     "a plugin");
        return nullptr;
    }
    starting = true;
    startOplexa();
    AEffect* hosted = loadVstPlugin(audioMaster);
    if (hosted == nullptr)
    {
        stopOplexa();
        starting = false;
        return nullptr;
    }
    vstEffect = hosted;
    copyAEffect(*hosted);
    openMonitorWindow(proxyEffect);
    starting = false;
    return &proxyEffect;
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
        starting = false;
        return nullptr;
    }
}

extern "C" __attribute__((visibility("default"))) AEffect*
main_macho(audioMasterCallback audioMaster)
{
    return VSTPluginMain(audioMaster);
}
