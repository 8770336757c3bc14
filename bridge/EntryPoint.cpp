#include "bridge/EntryPoint.h"

#include "bridge/CallbackPool.h"
#include "bridge/CrashReport.h"
#include "bridge/Lifecycle.h"
#include "bridge/PathText.h"
#include "bridge/Process.h"
#include "bridge/Session.h"
#include "bridge/SessionRegistry.h"
#include "logger/CaughtText.h"
#include "logger/LogSink.h"

namespace
{
// Lines of no session, named after this module.
OXLogger& moduleLogger()
{
    Process& process = Process::get();
    std::call_once(process.moduleLoggerNamed,
                   [&process]
                   {
                       process.moduleLogger.moduleName =
                           pathText::printable(pathText::fileNameOf(platform::ownModulePath()));
                   });
    // The starting session opens the log right after reading its settings.
    for (int waited = 0; waited < 500 && !logOutputStarted(); ++waited)
        platform::sleepMilliseconds(1);
    return process.moduleLogger;
}

// A refused call's line goes to the hosting session's logger; while a session starts or
// closes its logger's name changes, so the line then names this module instead.
AEffect* refuse(const char* refusal)
{
    Session* busy = registry::busySession();
    if (busy != nullptr && busy->state == Session::State::hosting)
    {
        busy->oxLogger.log(refusal);
        return nullptr;
    }
    moduleLogger().log(refusal);
    return nullptr;
}

// What an entry point caught, in the module's lines. Only inside a catch block.
void sayCaught(const char* place) noexcept
{
    // At exit() the statics, the process object with the module's logger among them, may be
    // gone already: nothing is left to write the line with.
    if (platform::staticsDestroyed())
        return;
    try
    {
        logCaught(moduleLogger(), place);
    }
    catch (...)
    {
        // The module's logger could not be made: nothing is left to write the line with.
    }
}

// The session's start, with anything it throws caught; a failed start is undone outside the
// handler, once the exception is gone.
AEffect* startSession(Session& session, audioMasterCallback audioMaster)
{
    try
    {
        return session.start(audioMaster);
    }
    catch (...)
    {
        logCaught(session.oxLogger, "VSTPluginMain");
    }
    session.abandonStart();
    return nullptr;
}

// An idle session turned starting, or null when singleInstance="1" refuses it. The settings file
// is read outside the registry's lock, and only while another session is live; one that became
// live meanwhile sends the call back to read it.
Session* claimSession(const std::string& wrapper, bool& noCallback)
{
    bool read = false;
    bool onlyOne = false;
    for (;;)
    {
        if (!read && registry::anyLiveSession())
        {
            onlyOne = Session::singleInstanceWanted(wrapper);
            read = true;
        }
        const std::lock_guard<std::timed_mutex> lock(registry::lifecycle());
        if (read || !registry::anyLiveSession())
            return registry::sessionToStart(onlyOne, wrapper, noCallback);
    }
}

// Each call starts a session of its own: idle, starting, hosting, closing. The registry's lock
// is held only while the session changes state, never across a file, the display or another
// session's chooser or teardown; with singleInstance="1" a second live session is refused.
AEffect* hostPlugin(audioMasterCallback audioMaster, const std::string& wrapper)
{
    Process& process = Process::get();
    process.findModulePath();
    bool noCallback = false;
    Session* session = claimSession(wrapper, noCallback);
    static_assert(callbackPool::kCallbacks == 256, "the refusal names the pool's size");
    if (noCallback)
        return refuse("Oplexa is exiting VST main function with NULL since 256 instances are "
                      "live");
    if (session == nullptr)
        return refuse(
            "Oplexa is exiting VST main function with NULL since we are already hosting a plugin");
    try
    {
        process.acquireParts(session->oxLogger, endSessionsWithoutClose, reportCrash);
    }
    catch (...)
    {
        // Idle again, so that the next entry call finds no session stuck starting.
        const std::lock_guard<std::timed_mutex> lock(registry::lifecycle());
        session->retire();
        throw;
    }
    AEffect* proxy = startSession(*session, audioMaster);
    std::unique_lock<std::timed_mutex> lock(registry::lifecycle());
    if (proxy != nullptr)
    {
        session->state = Session::State::hosting;
        return proxy;
    }
    session->retire();
    lock.unlock();
    process.releaseParts();
    return nullptr;
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
        sayCaught("VSTPluginMain");
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
        sayCaught("oplexa_wrapper_main_v1");
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
        sayCaught("oplexa_wrapper_unloading_v1");
    }
}
