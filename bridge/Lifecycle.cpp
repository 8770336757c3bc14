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
#include <mutex>
#include <string>

namespace
{
// How long the module's unloading waits for settings files to reach the disk.
constexpr int kFlushWaitMs = 2000;

// The process-wide parts have a lock of their own, never the registry's: starting them opens the
// display and the log file, and stopping them writes the log's last lines, which may take their
// time while other sessions change state or close. Taken after the registry's lock, if both.
std::mutex partsMutex;
// Under partsMutex.
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

// Endings wait for a lock only for a while. Polled rather than a timed lock, which
// ThreadSanitizer can't follow.
template <typename Lock> bool lockBefore(Lock& lock, int64_t deadline) noexcept
{
    while (!lock.try_lock())
    {
        if (platform::monotonicMilliseconds() >= deadline)
            return false;
        platform::sleepMilliseconds(1);
    }
    return true;
}

// The host unloads the module or exits without closing every plug-in. In a forked child none
// of this is Oplexa's to do; no step waits without a limit.
void endWithoutClose(platform::Ending ending) noexcept
{
    if (partsProcess != platform::processId())
        return;
    std::timed_mutex& lock = registry::lifecycle();
    const int64_t deadline = platform::monotonicMilliseconds() + 2000;
    if (!lockBefore(lock, deadline))
        return;
    // Under the registry's lock, so that a Close on another thread (a host that exits while it
    // closes plug-ins) waits for these endings instead of running beside them.
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
    if (lockBefore(partsMutex, deadline))
    {
        if (sessionsUsingProcessParts > 0)
        {
            sessionsUsingProcessParts = 0;
            stopProcessThreads(ending == platform::Ending::exit);
        }
        partsMutex.unlock();
    }
    // The flushes run no code of this module, but hold a descriptor each until they end. At
    // exit() they need no wait: the kernel writes the files back whatever becomes of them.
    if (ending == platform::Ending::unload)
        platform::finishFlushes(kFlushWaitMs);
    // Unloaded, the module's code can't run any more, and nothing of the sessions is needed;
    // at exit() the host's threads may still call the proxies.
    if (ending == platform::Ending::unload && !registry::anyLiveSession() && !sessionStuck)
        registry::releaseSessions();
    lock.unlock();
}
} // namespace

void acquireProcessParts(Session& session)
{
    const std::lock_guard<std::mutex> lock(partsMutex);
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
    try
    {
        const std::lock_guard<std::mutex> lock(partsMutex);
        if (sessionsUsingProcessParts == 0 || --sessionsUsingProcessParts > 0)
            return;
        stopProcessThreads(false);
        juce::Logger::setCurrentLogger(nullptr);
    }
    catch (...)
    {
    }
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
    {
        const std::lock_guard<std::mutex> lock(session.settingsMutex);
        session.settingsOnDisk = readSettings(settings.read, session.lastDir, logger);
    }
    {
        // The first session of the process starts the output that every session shares; the
        // others wait for it, since their lines go there.
        const std::lock_guard<std::mutex> lock(partsMutex);
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
    // One logger kept for this, read into by one start at a time (all would wait on the same
    // file anyway): destroying a logger reads JUCE's current one, which the first session sets.
    static std::mutex reading;
    static OXLogger settings;
    const std::lock_guard<std::mutex> lock(reading);
    settings.outputAttributes.clear();
    std::string ignored;
    readSettings(settingsFiles(wrapper).read, ignored, settings);
    const juce::var* single = settings.outputAttributes.getVarPointer("singleInstance");
    return single != nullptr && single->toString().trim() == "1";
}

void saveSettings(Session& session)
{
    const juce::File settings = settingsFiles(session.wrapperPath).write;
    const std::lock_guard<std::mutex> lock(session.settingsMutex);
    const juce::String text = settingsText(session.lastDir, session.oxLogger);
    std::string bytes(text.toRawUTF8(), text.getNumBytesAsUTF8());
    // Unchanged since this session read or wrote it: another session's later write stays.
    if (bytes == session.settingsOnDisk && settings.existsAsFile())
        return;
    const juce::File written = writeSettingsText(settings, text);
    if (written == juce::File())
    {
        session.oxLogger.log(
            ("Failed to write logger state to " + settings.getFullPathName()).toRawUTF8());
        return;
    }
    session.settingsOnDisk = std::move(bytes);
    // The rename is done; reaching the disk is not this thread's wait.
    platform::flushToDiskLater(written.getFullPathName().toRawUTF8());
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
