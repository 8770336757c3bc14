#include "bridge/EntryPoint.h"

#include "bridge/Lifecycle.h"
#include "bridge/PathText.h"
#include "bridge/PluginLoader.h"
#include "bridge/Session.h"
#include "bridge/SessionRegistry.h"
#include "logger/LogSink.h"

namespace
{
// A refused call's line goes to the hosting session's logger; while a session starts or
// closes its logger's name changes, so the line then names this module instead.
AEffect* refuse()
{
    static const char* const refusal =
        "Oplexa is exiting VST main function with NULL since we are already hosting a plugin";
    Session* busy = registry::busySession();
    if (busy != nullptr && busy->state == Session::State::hosting)
    {
        busy->oxLogger.log(refusal);
        return nullptr;
    }
    static OXLogger moduleLogger;
    static std::once_flag named;
    std::call_once(named,
                   []
                   {
                       moduleLogger.moduleName =
                           pathText::printable(pathText::fileNameOf(platform::ownModulePath()));
                   });
    // The starting session opens the log right after reading its settings.
    for (int waited = 0; waited < 500 && !logOutputStarted(); ++waited)
        platform::sleepMilliseconds(1);
    moduleLogger.log(refusal);
    return nullptr;
}

// The session's start, with anything it throws caught; a failed start is undone outside the
// handler, once the exception is gone.
AEffect* startSession(Session& session, audioMasterCallback audioMaster)
{
    juce::String caught;
    try
    {
        return session.start(audioMaster);
    }
    catch (const std::exception& exception)
    {
        caught = exception.what();
    }
    catch (...)
    {
        caught = "not a standard exception";
    }
    session.oxLogger.log(("Caught an exception in VSTPluginMain: " + caught).toRawUTF8());
    session.abandonStart();
    return nullptr;
}

// Each call starts a session of its own: idle, starting, hosting, closing. The registry's lock
// is held only while the session changes state, so a call never waits for another one's chooser
// or teardown; with singleInstance="1" a second live session is refused.
AEffect* hostPlugin(audioMasterCallback audioMaster, const std::string& wrapper)
{
    std::timed_mutex& lifecycle = registry::lifecycle();
    Session* session = nullptr;
    {
        const std::lock_guard<std::timed_mutex> lock(lifecycle);
        getModuleFileName();
        session = registry::sessionToStart(singleInstanceWanted(wrapper), wrapper);
        if (session != nullptr)
            acquireProcessParts(*session);
    }
    // Outside the lock: a starting session takes it to open the log the refusal goes to.
    if (session == nullptr)
        return refuse();
    AEffect* proxy = startSession(*session, audioMaster);
    const std::lock_guard<std::timed_mutex> lock(lifecycle);
    if (proxy == nullptr)
    {
        session->state = Session::State::idle;
        releaseProcessParts();
        return nullptr;
    }
    session->state = Session::State::hosting;
    return proxy;
}
} // namespace

extern "C" __attribute__((visibility("default"))) AEffect*
VSTPluginMain(audioMasterCallback audioMaster)
{
    try
    {
        return hostPlugin(audioMaster, {});
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

// A wrapper's entry: the session is named after the wrapper, keeps the wrapper's settings and
// hosts the plug-in they name. The name carries a version, so that a wrapper never calls an
// entry point it was not made for.
extern "C" __attribute__((visibility("default"))) AEffect*
oplexa_wrapper_main_v1(audioMasterCallback audioMaster, const char* wrapperPath)
{
    try
    {
        if (wrapperPath == nullptr || *wrapperPath == '\0')
            return nullptr;
        return hostPlugin(audioMaster, wrapperPath);
    }
    catch (...)
    {
        return nullptr;
    }
}

extern "C" __attribute__((visibility("default"))) void
oplexa_wrapper_unloading_v1(const char* wrapperPath)
{
    try
    {
        if (wrapperPath != nullptr && *wrapperPath != '\0')
            endWrapperSessions(wrapperPath);
    }
    catch (...)
    {
    }
}
