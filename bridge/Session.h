// One hosted plug-in and everything that belongs to it: the record handed to the host, the
// hosted record and module, the host's callback, the logger, the settings and the window.
// Sessions are never freed while the module is loaded: a host thread may still call a proxy
// after its plug-in closed, or while the process exits, and must find it intact.
#pragma once

#include "bridge/CallGate.h"
#include "bridge/Platform.h"
#include "bridge/ProxyRecord.h"
#include "bridge/Recorder.h"
#include "logger/OXLogger.h"

#include <juce_core/juce_core.h>

#include <atomic>
#include <mutex>
#include <string>

class OXWindow;
class SettingsKeeper;

class Session
{
public:
    enum class State
    {
        idle,
        starting,
        hosting,
        closing
    };

    Session();

    // The record the host gets; its session pointer leads back here.
    ProxyRecord proxyEffect;
    // The hosted plug-in's own record; null while nothing is hosted.
    std::atomic<AEffect*> vstEffect{nullptr};
    // The host's callback, handed on to by forwardCallback.
    std::atomic<audioMasterCallback> vstAudioMaster{nullptr};
    // The pool's callback this session hands its plug-in (see CallbackPool.h); -1 for none.
    // Changed under the registry's lock.
    int callback = -1;
    // The callback was taken from a closed session, since none was free.
    bool callbackOfClosed = false;
    // Set once the plug-in is closed or failed to load: its callbacks return 0, and the first
    // one says so.
    std::atomic<bool> callbacksEnded{false};
    std::atomic<bool> lateCallbackSaid{false};
    OXLogger oxLogger;
    callGate::Gate gate;
    Recorder recorder;

    // The hosted module, its resources and its file, from the choice to the unload.
    platform::ModuleHandle vstBundle = nullptr;
    platform::ResourceRef bundleRes = 0;
    // Paths as the file system's bytes, which need not be valid UTF-8.
    std::string path;
    // The folder the chooser opens in; kept in the settings file.
    std::string lastDir;
    // The settings file's text as this session last read or wrote it: an unchanged state is not
    // written again. Under settingsMutex, which the window's keeper and Close both take.
    std::string settingsOnDisk;
    std::mutex settingsMutex;
    // The wrapper this session was started through, or empty for the module itself; it names
    // the session, its settings file and the plug-in it hosts.
    std::string wrapperPath;
    // tag="1" in a wrapper's settings: the host reads a name and ID of the wrapper's own.
    bool tagged = false;
    // The wrapper's path, or else the module's own: the file the session is named after.
    const std::string& modulePath() const;

    // Touched only on the message thread.
    OXWindow* window = nullptr;
    SettingsKeeper* settingsKeeper = nullptr;

    // Changed under the registry's lock; read without it for refusals.
    std::atomic<State> state{State::idle};
    // The smallest number no other live session held at the start; 1 has no suffix in the log.
    int instance = 1;
    // How many sessions of the module itself (not of a wrapper) started before this one.
    int startOrder = 0;
    // How many sessions ended before this one did; orders the closed ones. Under the lock.
    uint64_t endOrder = 0;
    // "#2" after the names in the log for every instance but the first.
    juce::String nameSuffix() const;

    // The whole start: logger, settings, chooser, loading, proxy and window. Null when no
    // plug-in was hosted; the session is then idle again.
    AEffect* start(audioMasterCallback audioMaster);
    // Close, in two halves around the forwarded effClose: before, no new host call may enter
    // and those inside are waited for; after, the session is taken down.
    void beforeClose() noexcept;
    void afterClose() noexcept;
    // The host unloads the module or exits without Close.
    void endWithoutClose(platform::Ending ending) noexcept;
    // Undoes a start that threw, like a failed load.
    void abandonStart() noexcept;

private:
    void takeDown(bool unload);
    void writeSettingsNow();

    // Set when a call was still inside the plug-in at Close: its code must stay mapped.
    bool callStuck = false;

    JUCE_DECLARE_NON_COPYABLE(Session)
};
