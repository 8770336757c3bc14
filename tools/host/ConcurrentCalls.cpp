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
    : plugin(effect),
      buffers(channels(effect->numInputs), channels(effect->numOutputs), hostState().blockSize),
      thread([this] { run(); })
{
}

void BackgroundAudio::run()
{
    while (!stopping.load())
    {
        inside.store(true);
        plugin.process(buffers.inputs(), buffers.outputs(), buffers.frames());
        inside.store(false);
        // As an audio thread waits for the next period.
        sleepMs(1);
    }
}

void BackgroundAudio::waitUntilInside() const
{
    while (!inside.load())
        std::this_thread::yield();
}

void BackgroundAudio::stop()
{
    stopping.store(true);
    if (thread.joinable())
        thread.join();
}

DelayedEntryCall::DelayedEntryCall(VstPluginMainProc entry, int delayMs)
    : thread(
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
