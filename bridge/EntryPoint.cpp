// The module's exported entry point: one hosted plug-in per loaded Oplexa module.
#include "bridge/EntryPoint.h"

#include "bridge/Forwarders.h"
#include "bridge/Lifecycle.h"
#include "bridge/MonitorWindow.h"
#include "bridge/PluginLoader.h"
#include "logger/OXLogger.h"

#include <cstring>
#include <mutex>
#include <thread>

std::atomic<AEffect*> vstEffect{nullptr};
std::atomic<audioMasterCallback> vstAudioMaster{nullptr};
// Zero-filled at load and never cleared: it keeps its last content after "Close".
AEffect proxyEffect{};
OXLogger oxLogger;

namespace
{
// Calls of the entry point take turns: a host thread that calls while another starts Oplexa
// waits, and is then refused, so that its refusal never meets a half-started logger.
std::mutex startMutex;
// The thread inside start-up. A hosted module that calls back into this very module on it
// (Oplexa chosen to host itself) is refused at once instead of waiting for itself.
std::atomic<std::thread::id> startingThread{};

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

AEffect* refuse()
{
    oxLogger.log("Oplexa is exiting VST main function with NULL since we are already hosting "
                 "a plugin");
    return nullptr;
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
    openMonitorWindow(proxyEffect);
    return &proxyEffect;
}

AEffect* hostPlugin(audioMasterCallback audioMaster)
{
    if (startingThread.load() == std::this_thread::get_id())
        return refuse();
    const std::lock_guard<std::mutex> turn(startMutex);
    if (vstEffect.load() != nullptr)
        return refuse();
    startingThread = std::this_thread::get_id();
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
    startingThread = std::thread::id();
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
