#include "bridge/Lifecycle.h"

#include "bridge/CallGate.h"
#include "bridge/CrashReport.h"
#include "bridge/MessageThread.h"
#include "bridge/MonitorWindow.h"
#include "bridge/PathText.h"
#include "bridge/Platform.h"
#include "bridge/PluginLoader.h"
#include "bridge/Session.h"
#include "bridge/SessionRegistry.h"
#include "bridge/SettingsFile.h"
#include "logger/LogSink.h"

#include <chrono>

namespace
{
int sessionsUsingProcessParts = 0;
// A call stayed inside a plug-in at Close: it returns through this module, which stays loaded.
bool sessionStuck = false;
// The process that started the parts; a forked child shares none of its threads.
int partsProcess = 0;
// The last session that logged, for the lines of the process-wide parts.
std::atomic<Session*> lastSession{nullptr};

// The module's own settings, or a wrapper's.
SettingsFiles settingsFiles(const std::string& wrapper)
{
    return settingsFilesFor(
        wrapper.empty() ? dllPath : wrapper,
        juce::File(juce::String::fromUTF8(platform::userConfigFolder().c_str())));
}

// Names both files while the one read is not the one that will be written.
juce::String settingsLine(const SettingsFiles& settings)
{
    juce::String line = "Settings file " + settings.write.getFullPathName();
    if (settings.read != settings.write)
        line << " (read from " << settings.read.getFullPathName() << ")";
    return line;
}

// The log's destination is the process's, chosen by the first session's settings; a wrapper
// whose own settings name another one says where its lines go instead.
juce::String logDestinationLine(const Session& session, const SettingsFiles& settings)
{
    const juce::String destination(logDestination());
    const juce::String named(session.oxLogger.namedDestination(settings.read.getParentDirectory()));
    if (session.wrapperPath.empty() || named == destination)
        return "Log lines go to " + destination;
    return "Log lines go to " + destination + ", as the first session chose; this session's " +
           "settings name " + named;
}

// Where someone chained a handler of Oplexa's, the handler must stay reachable.
void keepLoadedFor(const char* handler) noexcept
{
    Session* session = lastSession.load();
    if (session == nullptr)
        return;
    const bool kept = platform::keepModuleLoaded();
    session->oxLogger.log(
        (juce::String(kept ? "Oplexa stays loaded: its " : "Oplexa could not stay loaded: its ") +
         handler + " was chained by another handler")
            .toRawUTF8());
}

void stopProcessThreads(bool exiting) noexcept
{
    try
    {
        if (!platform::removeCrashHandler())
            keepLoadedFor("crash handler");
        if (!messageThread::stop())
            keepLoadedFor("X error handler");
    }
    catch (...)
    {
    }
    stopLogOutput(exiting);
}

// The host unloads the module or exits without closing every plug-in. In a forked child none
// of this is Oplexa's to do; no step waits without a limit.
void endWithoutClose(platform::Ending ending) noexcept
{
    if (partsProcess != platform::processId())
        return;
    std::timed_mutex& lock = registry::lifecycle();
    // Polled rather than a timed lock, which ThreadSanitizer can't follow.
    int waited = 0;
    for (; waited < 2000 && !lock.try_lock(); ++waited)
        platform::sleepMilliseconds(1);
    if (waited == 2000)
        return;
    try
    {
        // Sessions still starting or already closing are their own threads' to finish.
        for (Session* session : registry::liveSessions())
            if (session->state == Session::State::hosting)
                session->endWithoutClose(ending);
    }
    catch (...)
    {
    }
    if (sessionsUsingProcessParts > 0)
    {
        sessionsUsingProcessParts = 0;
        stopProcessThreads(ending == platform::Ending::exit);
    }
    // Unloaded, the module's code can't run any more, and nothing of the sessions is needed;
    // at exit() the host's threads may still call the proxies.
    if (ending == platform::Ending::unload && !registry::anyLiveSession() && !sessionStuck)
        registry::releaseSessions();
    lock.unlock();
}
} // namespace

void acquireProcessParts(Session& session)
{
    if (sessionsUsingProcessParts++ > 0)
        return;
    // What JUCE itself logs goes to the first session's log.
    juce::Logger::setCurrentLogger(&session.oxLogger);
    partsProcess = platform::processId();
    platform::onModuleEnding(endWithoutClose);
    callGate::prepare();
    messageThread::start();
    platform::installCrashHandler(reportCrash);
}

void keepLoadedForStuckCall() noexcept
{
    sessionStuck = true;
    platform::keepModuleLoaded();
}

void releaseProcessParts() noexcept
{
    if (sessionsUsingProcessParts == 0 || --sessionsUsingProcessParts > 0)
        return;
    stopProcessThreads(false);
    juce::Logger::setCurrentLogger(nullptr);
}

void startOplexa(Session& session)
{
    lastSession = &session;
    OXLogger& logger = session.oxLogger;
    logger.init(pathText::printable(pathText::fileNameOf(session.modulePath())) +
                    session.nameSuffix(),
                false);
    // The settings name where the log goes, so they are read before the first line; the start
    // lines still go out as before the settings applied, without the time of day.
    const SettingsFiles settings = settingsFiles(session.wrapperPath);
    readSettings(settings.read, session.lastDir, logger);
    {
        // The first session of the process starts the output that every session shares.
        const std::lock_guard<std::timed_mutex> lock(registry::lifecycle());
        if (!logOutputStarted())
            logger.startOutput(settings.read.getParentDirectory());
    }
    const bool logTime = logger.logTime.exchange(false);
    logger.log(("Oplexa - " + pathText::printable(dllPath)).toRawUTF8());
    logger.log(juce::Time::getCurrentTime().toString(true, true, true, false).toRawUTF8());
    if (settings.write != juce::File())
        logger.log(settingsLine(settings).toRawUTF8());
    logger.log(logDestinationLine(session, settings).toRawUTF8());
    logger.logTime = logTime;
}

bool singleInstanceWanted(const std::string& wrapper)
{
    if (!registry::anyLiveSession())
        return false;
    OXLogger settings;
    std::string ignored;
    readSettings(settingsFiles(wrapper).read, ignored, settings);
    const juce::var* single = settings.outputAttributes.getVarPointer("singleInstance");
    return single != nullptr && single->toString().trim() == "1";
}

void saveSettings(Session& session)
{
    const juce::File settings = settingsFiles(session.wrapperPath).write;
    if (!writeSettings(settings, session.lastDir, session.oxLogger))
        session.oxLogger.log(
            ("Failed to write logger state to " + settings.getFullPathName()).toRawUTF8());
}

void stopOplexa(Session& session, bool unload)
{
    session.recorder.stop(true);
    // Written while the window and the hosted module still exist.
    saveSettings(session);
    closeMonitorWindow(session);
    if (unload)
        unloadPlugin(session);
}

void endWrapperSessions(const std::string& wrapper) noexcept
{
    if (platform::staticsDestroyed() || partsProcess != platform::processId())
        return;
    std::timed_mutex& lock = registry::lifecycle();
    int waited = 0;
    for (; waited < 2000 && !lock.try_lock(); ++waited)
        platform::sleepMilliseconds(1);
    if (waited == 2000)
        return;
    try
    {
        for (Session* session : registry::liveSessions())
            if (session->state == Session::State::hosting && session->wrapperPath == wrapper)
            {
                session->endWithoutClose(platform::Ending::unload);
                releaseProcessParts();
            }
    }
    catch (...)
    {
    }
    lock.unlock();
}
