// What the process has once, whatever number of sessions it hosts: the module's own path, the
// lock under which sessions change state, and the parts every session shares (the message
// thread with its X error filter, the crash handler, the log output, the ending hooks).
//
// Lifetime: one static of Process.cpp, built when the module is loaded, before any entry call,
// and destroyed with the module's other statics, after the endings ran (at dlclose the module's
// ELF destructor runs them first; at exit() the first static destructor does, see
// platform::onModuleEnding). Its destruction frees no session: at dlclose the endings freed them,
// at exit() host threads may still call the proxies. A scanner that calls the entry point twice
// finds it as the first call left it. A forked child inherits the parent's copy, which describes
// the parent's threads: partsProcess tells them apart, and no static destructor runs there. The
// module has no thread-local storage (see logger/ThreadSlots.h).
#pragma once

#include "bridge/CheckThreads.h"
#include "bridge/MessageThread.h"
#include "bridge/Platform.h"
#include "bridge/RecordThreadNumbers.h"
#include "logger/OXLogger.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

class Session;
struct SessionEntry;

class Process
{
public:
    static Process& get() noexcept { return instance; }

    // Oplexa's own module file, as the file system's bytes; empty until findModulePath finds it.
    std::string dllPath;
    // Once, outside the lifecycle lock (dladdr takes the loader's, which a host that unloads
    // Oplexa holds while Oplexa's ending waits for the lifecycle lock): read without a lock after.
    void findModulePath();

    // The sessions, each linked in front of the previous ones and never freed while the module
    // is loaded (see SessionRegistry.h); the one that started last; how many sessions of the
    // module itself started. Forwarders and refusals read them without a lock.
    std::atomic<SessionEntry*> sessions{nullptr};
    std::atomic<Session*> busy{nullptr};
    int startsSoFar = 0;

    // The owner of each callback of the pool, read by the callbacks on any thread; when each
    // was last given back, to take the one free longest first (see CallbackPool.h).
    static constexpr int kCallbacks = 256;
    std::atomic<Session*> callbackOwners[kCallbacks]{};
    uint64_t callbackGivenBack[kCallbacks]{};
    uint64_t callbacksGivenBackSoFar = 0;

    // The settings files' flushes to the disk under way, reaped at the module's unload.
    platform::Flushes flushes;

    // Each thread's numbers in the recordings it called into; and the recordings started, which
    // numbers them across the process so that a thread's number never outlives its recording.
    threadSlots::Table<RecordThreadNumbers, 1024> recordThreadNumbers;
    std::atomic<uint32_t> recordingsStarted{0};
    // The same for the sessions that check the protocol rules (checkRules="1").
    threadSlots::Table<CheckThreads, 1024> checkThreads;
    std::atomic<uint32_t> checkingsStarted{0};

    // JUCE's message loop, on a thread of Oplexa's own.
    MessageThread messageThread;

    // The lines of no session (refusals, what an entry point caught), named after the module.
    OXLogger moduleLogger;
    std::once_flag moduleLoggerNamed;
    // A logger that the settings are read into to see whether a second session is wanted; one
    // start reads at a time (all would wait on the same file anyway).
    OXLogger settingsProbe;
    std::mutex settingsProbeMutex;

    // Held while sessions change state and the shared parts start or stop; never through a
    // chooser or a plug-in's call. Endings wait for it only for a while: lockLifecycleBefore.
    std::timed_mutex lifecycle;
    bool lockLifecycleBefore(int64_t deadline) noexcept;
    // How many sessions ended so far; orders the closed ones. Under lifecycle.
    uint64_t endsSoFar = 0;

    // The first session starts the shared parts, the last one's release stops them; never under
    // the lifecycle lock. ending runs when the host unloads the module or exits without Close;
    // report when the process crashes. When it throws, the parts are as before.
    void acquireParts(OXLogger& logger, void (*ending)(platform::Ending) noexcept,
                      void (*report)(int signal) noexcept);
    void releaseParts() noexcept;
    // The host unloads the module or exits without Close, the sessions are ended: the shared
    // parts stop, within the deadline. False when the parts lock was not had in time.
    void stopPartsAtEnding(platform::Ending ending, int64_t deadline) noexcept;
    // The first session of the process starts the log output that every session shares; the
    // others wait for it, since their lines go there.
    void startLogOutput(OXLogger& logger, const juce::File& settingsFolder);
    // The session that logged last, for the lines of the shared parts.
    void loggedLast(OXLogger& logger) noexcept { lastLogger = &logger; }
    // "Caught an exception in PLACE: WHAT" in the log of the session that logged last. Only
    // inside a catch block.
    void logCaught(const char* place) noexcept;
    // How many monitor windows are open and where the last one opened: the next opens offset
    // from it, as desktop programs cascade theirs. Message thread only.
    struct Windows
    {
        int open = 0;
        int lastX = 0;
        int lastY = 0;
    } windows;

    // A call is still inside a plug-in after Close: it will return through Oplexa's code.
    void keepLoadedForStuckCall() noexcept;
    bool sessionStuck() const noexcept { return stuck; }
    // Not the process that started the parts (a forked child), or none started them.
    bool startedElsewhere() const noexcept { return partsProcess != platform::processId(); }

    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

private:
    Process() = default;
    // The one object; see above for when it is made and when it ends.
    static Process instance;
    void stopThreads(bool exiting) noexcept;
    void keepLoadedFor(const char* handler) noexcept;

    // The shared parts have a lock of their own, never the lifecycle one: starting them opens the
    // display and the log file, and stopping them writes the log's last lines, which may take
    // their time while other sessions change state or close. Taken after lifecycle, if both.
    std::mutex partsMutex;
    // Under partsMutex.
    int sessionsUsingParts = 0;
    // A call stayed inside a plug-in at Close: it returns through this module, which stays loaded.
    bool stuck = false;
    // The process that started the parts; a forked child shares none of its threads.
    int partsProcess = 0;
    std::atomic<OXLogger*> lastLogger{nullptr};
    std::once_flag modulePathFound;
};
