#include "bridge/Process.h"

#include "bridge/CallGate.h"
#include "bridge/PluginLoader.h"
#include "logger/CaughtText.h"
#include "logger/LogSink.h"

Process Process::instance;

namespace
{
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
} // namespace

void Process::findModulePath()
{
    std::call_once(modulePathFound,
                   [this]
                   {
                       // The loader reports the path the host passed to dlopen, which may be
                       // relative.
                       const std::string own = platform::ownModulePath();
                       if (!own.empty())
                           dllPath = absolutePath(own);
                   });
}

bool Process::lockLifecycleBefore(int64_t deadline) noexcept
{
    return lockBefore(lifecycle, deadline);
}

void Process::acquireParts(OXLogger& logger, void (*ending)(platform::Ending) noexcept,
                           void (*report)(int signal) noexcept)
{
    const std::lock_guard<std::mutex> lock(partsMutex);
    if (sessionsUsingParts++ > 0)
        return;
    // What JUCE itself logs goes to the first session's log.
    juce::Logger::setCurrentLogger(&logger);
    lastLogger = &logger;
    partsProcess = platform::processId();
    platform::onModuleEnding(ending);
    callGate::prepare();
    try
    {
        messageThread.start();
    }
    catch (...)
    {
        // No thread to be had: nothing started that an ending would have to stop.
        --sessionsUsingParts;
        throw;
    }
    platform::installCrashHandler(report);
}

void Process::releaseParts() noexcept
{
    try
    {
        const std::lock_guard<std::mutex> lock(partsMutex);
        if (sessionsUsingParts == 0 || --sessionsUsingParts > 0)
            return;
        stopThreads(false);
        juce::Logger::setCurrentLogger(nullptr);
    }
    catch (...)
    {
        logCaught("Process::releaseParts");
    }
}

void Process::stopPartsAtEnding(platform::Ending ending, int64_t deadline) noexcept
{
    if (!lockBefore(partsMutex, deadline))
        return;
    if (sessionsUsingParts > 0)
    {
        sessionsUsingParts = 0;
        stopThreads(ending == platform::Ending::exit);
    }
    partsMutex.unlock();
}

void Process::startLogOutput(OXLogger& logger, const juce::File& settingsFolder)
{
    const std::lock_guard<std::mutex> lock(partsMutex);
    if (!logOutputStarted())
        logger.startOutput(settingsFolder);
}

void Process::logCaught(const char* place) noexcept
{
    if (OXLogger* logger = lastLogger.load())
        ::logCaught(*logger, place);
}

void Process::keepLoadedForStuckCall() noexcept
{
    stuck = true;
    platform::keepModuleLoaded();
}

// Where someone chained a handler of Oplexa's, the handler must stay reachable.
void Process::keepLoadedFor(const char* handler) noexcept
{
    OXLogger* logger = lastLogger.load();
    if (logger == nullptr)
        return;
    const bool kept = platform::keepModuleLoaded();
    logger->log(
        (juce::String(kept ? "Oplexa stays loaded: its " : "Oplexa could not stay loaded: its ") +
         handler + " was chained by another handler")
            .toRawUTF8());
}

void Process::stopThreads(bool exiting) noexcept
{
    try
    {
        if (!platform::removeCrashHandler())
            keepLoadedFor("crash handler");
        // Set since the parts started.
        if (!messageThread.stop(*lastLogger.load()))
            keepLoadedFor("X error handler");
    }
    catch (...)
    {
        logCaught("Process::stopThreads");
    }
    stopLogOutput(exiting);
}
