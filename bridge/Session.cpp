#include "bridge/Session.h"

#include "bridge/CallNames.h"
#include "bridge/CallbackPool.h"
#include "bridge/Lifecycle.h"
#include "bridge/MonitorWindow.h"
#include "bridge/NameTag.h"
#include "bridge/PluginLoader.h"
#include "bridge/SessionRegistry.h"

namespace
{
// How long Close waits for host calls still inside the plug-in.
constexpr int kCloseWaitMs = 2000;

juce::String callName(int32_t call)
{
    LineBuffer line;
    appendCallName(line, call);
    return line.c_str();
}
} // namespace

Session::Session()
{
    gate.owner = this;
    proxyEffect.session = this;
    clearProxy(proxyEffect);
}

juce::String Session::nameSuffix() const
{
    return instance > 1 ? "#" + juce::String(instance) : juce::String();
}

const std::string& Session::modulePath() const
{
    return wrapperPath.empty() ? dllPath : wrapperPath;
}

AEffect* Session::start(audioMasterCallback audioMaster)
{
    callStuck = false;
    clearProxy(proxyEffect);
    callGate::reopen(gate);
    startOplexa(*this);
    if (callbackOfClosed)
        oxLogger.log(("Reusing the callback of a closed instance: more than " +
                      juce::String(callbackPool::kCallbacks) + " instances were started")
                         .toRawUTF8());
    lateCallbackSaid = false;
    callbacksEnded = false;
    AEffect* hosted = loadVstPlugin(*this, audioMaster);
    if (hosted == nullptr)
    {
        callbacksEnded = true;
        stopOplexa(*this, true);
        return nullptr;
    }
    proxyEffect.idMask = tagged ? kTaggedIdMask : 0;
    fillProxy(proxyEffect, *hosted);
    vstEffect = hosted;
    openMonitorWindow(*this);
    return &proxyEffect;
}

void Session::beforeClose() noexcept
{
    {
        const std::lock_guard<std::timed_mutex> lock(registry::lifecycle());
        state = State::closing;
    }
    int32_t stuck = 0;
    if (!callGate::shut(gate, true, kCloseWaitMs, stuck))
    {
        callStuck = true;
        keepLoadedForStuckCall();
        try
        {
            oxLogger.log(("Still inside " + callName(stuck) + " after 2 seconds at Close; " + path +
                          " stays loaded")
                             .toRawUTF8());
        }
        catch (...)
        {
        }
    }
}

void Session::afterClose() noexcept
{
    // Nothing may reach the released record once shutdown starts unloading it, nor the host
    // through a callback of the closed plug-in.
    vstEffect = nullptr;
    vstAudioMaster = nullptr;
    callbacksEnded = true;
    try
    {
        stopOplexa(*this, !callStuck);
    }
    catch (...)
    {
    }
    clearProxy(proxyEffect);
    {
        const std::lock_guard<std::timed_mutex> lock(registry::lifecycle());
        registry::retire(*this);
    }
    // The last session stops the shared parts, which writes the log's last lines.
    releaseProcessParts();
}

void Session::endWithoutClose(platform::Ending ending) noexcept
{
    state = State::closing;
    try
    {
        if (ending == platform::Ending::exit)
        {
            // The process is ending: the plug-in's code may still run on other threads, and
            // host threads may still call the proxy, so the plug-in stays as it is.
            recorder.stop(false);
            saveSettings(*this);
            closeMonitorWindow(*this);
            return;
        }
        // Unloaded without Close: the plug-in gets Close, so that threads of its own stop.
        AEffect* hosted = vstEffect.load();
        int32_t stuck = 0;
        if (!callGate::shut(gate, false, kCloseWaitMs, stuck))
        {
            callStuck = true;
            oxLogger.log(("Still inside " + callName(stuck) + " after 2 seconds at Close; " + path +
                          " stays loaded")
                             .toRawUTF8());
        }
        if (hosted != nullptr && hosted->dispatcher != nullptr)
        {
            oxLogger.log("Oplexa sends effClose: the host unloads Oplexa without closing the "
                         "plugin");
            hosted->dispatcher(hosted, effClose, 0, 0, nullptr, 0.0f);
        }
        vstEffect = nullptr;
        callbacksEnded = true;
        stopOplexa(*this, !callStuck);
        clearProxy(proxyEffect);
    }
    catch (...)
    {
    }
    registry::retire(*this);
}

void Session::abandonStart() noexcept
{
    vstEffect = nullptr;
    callbacksEnded = true;
    try
    {
        stopOplexa(*this, true);
    }
    catch (...)
    {
    }
    clearProxy(proxyEffect);
}
