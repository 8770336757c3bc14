// Every call into the operating system that the bridge makes, behind a few small functions,
// so that the bridge itself reads as plain steps.
#pragma once

#include "vst/VstInterface.h"

#include <cstdint>
#include <mutex>
#include <pthread.h>
#include <string>
#include <thread>

namespace platform
{
using ModuleHandle = void*;
using ResourceRef = int16_t;

// Null when the path is no loadable module; lastModuleError() then says why.
ModuleHandle openModule(const char* path) noexcept;
// The first of "VSTPluginMain", "main", "main_macho" the module exports, or null; name is set
// to the one found.
VstPluginMainProc findEntryPoint(ModuleHandle module, const char** name = nullptr) noexcept;
// True when the module is this very module, already loaded.
bool isOwnModule(ModuleHandle module) noexcept;
void closeModule(ModuleHandle module) noexcept;
// The loader's last error text, or an empty text.
std::string lastModuleError() noexcept;

// The file this code was loaded from, or an empty text if the loader can't tell.
std::string ownModulePath() noexcept;

// Linux has no resource context: these keep the bridge's save/switch/restore steps and do nothing.
ResourceRef openResources(ModuleHandle module) noexcept;
void closeResources(ModuleHandle module, ResourceRef resources) noexcept;
ResourceRef currentResources() noexcept;
void useResources(ResourceRef resources) noexcept;

// The working folder, or an empty text; and whether path names a folder.
std::string workingFolder();
bool isFolder(const std::string& path) noexcept;

// Whether an X display can be opened. Creating a window without one crashes inside JUCE.
bool displayAvailable() noexcept;

// Inside a plug-in JUCE installs no X error handler, and Xlib's default one ends the process,
// host and all, on an error as harmless as a refused focus request. While Oplexa's message
// thread runs, errors raised on that thread are Oplexa's own and are ignored; every other
// error goes on to the handler that was there before (the host's or Xlib's). A second call moves
// the filter to another thread.
void filterXErrorsOnThread(std::thread::id thread) noexcept;
// Puts the previous handler back. False when someone else has chained Oplexa's filter
// meanwhile: it stays installed, and this module must then stay mapped.
bool stopFilteringXErrors() noexcept;

// The two ways the module goes. At dlclose the module's own ELF destructor runs before the C
// runtime destroys any of its statics; at exit() the C runtime destroys the statics first and
// runs ELF destructors last. Statics that JUCE builds on the message thread are destroyed before
// any static built earlier, so at exit() only a hook on the first static destructor (the module
// links with --wrap=__cxa_atexit) comes early enough. Each function runs at most once, and only
// one of the two runs.
enum class Ending
{
    unload,
    exit
};
void onModuleEnding(void (*function)(Ending) noexcept) noexcept;
// True once exit() has begun destroying this module's statics: code of the module may still be
// called (a wrapper unloading at exit), but none of its statics may be used.
bool staticsDestroyed() noexcept;
// Keeps this module mapped for the rest of the process, for when a handler of its own may
// still be reached through someone else's chain. False when the loader refused.
bool keepModuleLoaded() noexcept;

int processId() noexcept;

// A barrier on every thread of the process, so that plain stores of other threads made before
// it are seen after it. False when the kernel offers none; callers then fence on their side.
bool registerProcessBarrier() noexcept;
bool processBarrier() noexcept;

// Sleeps the calling thread for that many milliseconds (safeCalls::sleepFor under the bridge's
// name, which its callers share).
void sleepMilliseconds(int milliseconds) noexcept;
// CLOCK_MONOTONIC in milliseconds: for waits measured by time, not by passes.
int64_t monotonicMilliseconds() noexcept;

// Oplexa's handler for the signals of a crash (SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT): it
// calls report, puts the handler that was there before back and hands the signal on to it, so
// that a crash stays a crash with the same status. On the host's alternate stack, if it has one.
void installCrashHandler(void (*report)(int signal) noexcept) noexcept;
// False when someone else has replaced the handler meanwhile: it stays installed, and this
// module must then stay mapped.
bool removeCrashHandler() noexcept;
// "SIGSEGV" and the like.
const char* signalName(int signal) noexcept;
// True on the calling thread's alternate signal stack: inside a signal handler.
bool onSignalStack() noexcept;

// An environment variable's value, or an empty text when it is unset.
std::string environment(const char* name) noexcept;

// $XDG_CONFIG_HOME, or else ~/.config; an empty text when no absolute folder can be found.
std::string userConfigFolder() noexcept;

// Hands a file just written, and the folder that holds it, to the disk (fsync) on threads that
// run no code of this module, so that no caller waits for the disk and an unloaded module
// leaves nothing behind on them. Without a free place or a thread, the flush is left to the
// kernel's own write-back.
struct Flushes
{
    // A flush under way: a thread whose start routine is fsync itself, handed the descriptor.
    struct Flush
    {
        pthread_t thread;
        int fd = -1; // -1: the place is free
    };
    Flush places[32];
    std::mutex mutex;
};
void flushToDiskLater(Flushes& flushes, const char* path) noexcept;
// Waits up to timeoutMs for the flushes under way and releases what they held. False when one
// still runs: it goes on alone, and keeps its descriptor.
bool finishFlushes(Flushes& flushes, int timeoutMs) noexcept;
} // namespace platform
