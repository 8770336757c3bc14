// One hosted plug-in and everything that belongs to it: the record handed to the host, the
// hosted record and module, the host's callback, the logger, the settings and the window. A
// session starts, closes and ends itself; the registry only picks which one starts.
// Sessions are never freed while the module is loaded: a host thread may still call a proxy
// after its plug-in closed, or while the process exits, and must find it intact.
#pragma once

#include "bridge/CallGate.h"
#include "bridge/CheckThreads.h"
#include "bridge/MonitorWindow.h"
#include "bridge/Platform.h"
#include "bridge/PluginLoader.h"
#include "bridge/ProxyRecord.h"
#include "bridge/Recorder.h"
#include "logger/OXLogger.h"
#include "rules/RuleChecker.h"

#include <juce_core/juce_core.h>

#include <atomic>
#include <mutex>
#include <string>

struct SettingsFiles;

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
    // Changed under the lifecycle lock.
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
    // checkRules="1": the calls are checked against the protocol rules as they pass (see
    // CheckHooks.h). Set at the start, before the plug-in's entry point runs; stays set after
    // Close, for the calls that come too late.
    std::atomic<bool> checking{false};
    rules::RuleChecker checker;
    CheckNumbering checkNumbering;
    // The hosted module's resources, switched to around the calls that need them.
    platform::ResourceRef bundleRes() const noexcept { return module.bundleRes; }

    // The wrapper this session was started through, or empty for the module itself; it names
    // the session, its settings file and the plug-in it hosts. Set under the lifecycle lock.
    std::string wrapperPath;
    // tag="1" in a wrapper's settings: the host reads a name and ID of the wrapper's own.
    bool tagged = false;

    // Changed under the lifecycle lock; read without it for refusals.
    std::atomic<State> state{State::idle};
    // The smallest number no other live session held at the start; 1 has no suffix in the log.
    int instance = 1;
    // How many sessions of the module itself (not of a wrapper) started before this one.
    int startOrder = 0;
    // How many sessions ended before this one did; orders the closed ones. Under the lock.
    uint64_t endOrder = 0;

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
    // Closed, or failed to start: waits to be started again. Under the lifecycle lock.
    void retire() noexcept;

    // singleInstance="1" in the settings file of the module or wrapper while a session is live:
    // the next one is refused. Reads the file: never under the lifecycle lock.
    static bool singleInstanceWanted(const std::string& wrapper);

private:
    // The wrapper's path, or else the module's own: the file the session is named after.
    const std::string& modulePath() const;
    // "#2" after the names in the log for every instance but the first.
    juce::String nameSuffix() const;
    // Starts the logger and reads the settings file.
    void startOplexa();
    // Chooses the plug-in and loads it; null when nothing was chosen or it failed to load.
    AEffect* loadVstPlugin(audioMasterCallback audioMaster);
    // From the environment (OPLEXA_RECORD) or the settings (recordFolder); once the plug-in's
    // path is known and before its entry point runs.
    void startRecording();
    // Writes the settings file, closes the window and unloads the hosted module (unless a call
    // is still running inside it).
    void takeDown(bool unload);
    // The settings as they are now, written atomically when they differ from what the session
    // last read or wrote (or the file is missing), flushed to the disk on another thread; a
    // line says so when writing fails.
    void writeSettingsNow();
    // The module's own settings files, or a wrapper's.
    static SettingsFiles settingsFiles(const std::string& wrapper);

    // The hosted module, its resources and its file, from the choice to the unload.
    PluginLoader module;
    // The folder the chooser opens in; kept in the settings file.
    std::string lastDir;
    // The settings file's text as this session last read or wrote it: an unchanged state is not
    // written again. Under settingsMutex, which the window's keeper and Close both take.
    std::string settingsOnDisk;
    std::mutex settingsMutex;
    MonitorWindow window;
    // Set when a call was still inside the plug-in at Close: its code must stay mapped.
    bool callStuck = false;

    JUCE_DECLARE_NON_COPYABLE(Session)
};
