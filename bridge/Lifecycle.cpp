#include "bridge/Lifecycle.h"

#include "bridge/Process.h"
#include "bridge/Session.h"
#include "bridge/SessionRegistry.h"

#include <mutex>

namespace
{
// How long the module's unloading waits for settings files to reach the disk.
constexpr int kFlushWaitMs = 2000;
// How long an ending waits for each lock.
constexpr int kLockWaitMs = 2000;
} // namespace

void endSessionsWithoutClose(platform::Ending ending) noexcept
{
    Process& process = Process::get();
    if (process.startedElsewhere())
        return;
    const int64_t deadline = platform::monotonicMilliseconds() + kLockWaitMs;
    if (!process.lockLifecycleBefore(deadline))
        return;
    // Under the lifecycle lock, so that a Close on another thread (a host that exits while it
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
        process.logCaught("endSessionsWithoutClose");
    }
    process.stopPartsAtEnding(ending, deadline);
    // The flushes run no code of this module, but hold a descriptor each until they end. At
    // exit() they need no wait: the kernel writes the files back whatever becomes of them.
    if (ending == platform::Ending::unload)
        platform::finishFlushes(process.flushes, kFlushWaitMs);
    // Unloaded, the module's code can't run any more, and nothing of the sessions is needed;
    // at exit() the host's threads may still call the proxies.
    if (ending == platform::Ending::unload && !registry::anyLiveSession() &&
        !process.sessionStuck())
        registry::releaseSessions();
    process.lifecycle.unlock();
}

void endWrapperSessions(const std::string& wrapper) noexcept
{
    Process& process = Process::get();
    if (platform::staticsDestroyed() || process.startedElsewhere())
        return;
    if (!process.lockLifecycleBefore(platform::monotonicMilliseconds() + kLockWaitMs))
        return;
    try
    {
        for (Session* session : registry::liveSessions())
            if (session->state == Session::State::hosting && session->wrapperPath == wrapper)
            {
                session->endWithoutClose(platform::Ending::unload);
                process.releaseParts();
            }
    }
    catch (...)
    {
        process.logCaught("endWrapperSessions");
    }
    process.lifecycle.unlock();
}
