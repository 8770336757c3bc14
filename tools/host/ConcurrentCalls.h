// Host threads that call the plug-in while the main thread does something else with it: the
// races of a real host's audio thread, scanner threads and forked workers at a session's end.
#pragma once

#include "tools/host/AudioBuffers.h"
#include "tools/host/HostOptions.h"
#include "tools/host/PluginCaller.h"

#include <atomic>
#include <thread>

namespace host
{
// Processes blocks one after the other on its own thread until stopped. It has its own caller:
// it keeps calling after the main thread's Close, as a host with a late audio thread does.
class BackgroundAudio
{
public:
    explicit BackgroundAudio(AEffect* effect);
    ~BackgroundAudio() { stop(); }
    BackgroundAudio(const BackgroundAudio&) = delete;
    BackgroundAudio& operator=(const BackgroundAudio&) = delete;

    // Returns once a block is inside the plug-in.
    void waitUntilInside() const;
    void stop();

private:
    void run();

    PluginCaller plugin;
    AudioBuffers buffers;
    std::atomic<bool> inside{false};
    std::atomic<bool> stopping{false};
    std::thread thread;
};

// Calls the entry point on its own thread after delayMs and logs what came back how fast.
class DelayedEntryCall
{
public:
    DelayedEntryCall(VstPluginMainProc entry, int delayMs);
    ~DelayedEntryCall() { thread.join(); }
    DelayedEntryCall(const DelayedEntryCall&) = delete;
    DelayedEntryCall& operator=(const DelayedEntryCall&) = delete;

private:
    std::thread thread;
};

// Forks; the child calls exit(0) at once, the parent waits for it at most 10 s. kExitOk when the
// child ended with status 0, else kExitChildFailed.
HostExitCode runForkedChildExit();
} // namespace host
