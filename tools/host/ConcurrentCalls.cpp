#include "tools/host/ConcurrentCalls.h"

#include "tools/host/AudioMaster.h"
#include "tools/host/HostLog.h"
#include "tools/host/SessionAudio.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

namespace host
{
namespace
{
using Clock = std::chrono::steady_clock;

int channels(int32_t count)
{
    return std::clamp(count, 0, kMaxChannels);
}

void sleepMs(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
} // namespace

BackgroundAudio::BackgroundAudio(AEffect* effect)
    : plugin_(effect),
      buffers_(channels(effect->numInputs), channels(effect->numOutputs), hostState().blockSize),
      thread_([this] { run(); })
{
}

void BackgroundAudio::run()
{
    while (!stop_.load())
    {
        inside_.store(true);
        plugin_.process(buffers_.inputs(), buffers_.outputs(), buffers_.frames());
        inside_.store(false);
        // As an audio thread waits for the next period.
        sleepMs(1);
    }
}

void BackgroundAudio::waitUntilInside() const
{
    while (!inside_.load())
        std::this_thread::yield();
}

void BackgroundAudio::stop()
{
    stop_.store(true);
    if (thread_.joinable())
        thread_.join();
}

DelayedEntryCall::DelayedEntryCall(VstPluginMainProc entry, int delayMs)
    : thread_(
          [entry, delayMs]
          {
              sleepMs(delayMs);
              const auto start = Clock::now();
              const AEffect* effect = entry(hostAudioMaster);
              const auto took =
                  std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
              hostLog().line("second entry point call returned %s after %ld ms",
                             effect == nullptr ? "null" : "a record",
                             static_cast<long>(took.count()));
          })
{
}

HostExitCode runForkedChildExit()
{
    std::fflush(nullptr); // else the child writes the parent's buffered output once more
    const pid_t child = fork();
    if (child == 0)
        std::exit(kExitOk);
    if (child < 0)
    {
        hostLog().problem("error: fork failed");
        return kExitChildFailed;
    }
    for (int tenth = 0; tenth < 100; ++tenth)
    {
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child)
        {
            if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
                return kExitOk;
            hostLog().problem("error: the forked child ended with %s %d",
                              WIFSIGNALED(status) ? "signal" : "status",
                              WIFSIGNALED(status) ? WTERMSIG(status) : WEXITSTATUS(status));
            return kExitChildFailed;
        }
        sleepMs(100);
    }
    hostLog().problem("error: the forked child did not end within 10 s");
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    return kExitChildFailed;
}
} // namespace host
