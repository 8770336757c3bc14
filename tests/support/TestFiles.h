// Temporary folders, file reading and module loading, shared by every test program.
#pragma once

#include "vst/VstInterface.h"

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

// A fresh folder under /tmp, removed with its contents (kept with OPLEXA_KEEP_TEST_FILES set).
class TempFolder
{
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return folder; }
    std::string file(const std::string& name) const { return folder + "/" + name; }

private:
    std::string folder;
};

std::string readFile(const std::string& path);
std::vector<std::string> readLines(const std::string& path);
// The lines of a log that a writer thread is still appending to, once it has stood still for a
// moment (at most a few seconds): lines reach the file a few milliseconds after their call.
std::vector<std::string> readSettledLines(const std::string& path);

// Waits for a condition, polling every millisecond, at most timeoutMs; true when it came.
template <typename Condition> bool waitUntil(Condition condition, int timeoutMs = 10000)
{
    for (int waited = 0; waited < timeoutMs; ++waited)
    {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return condition();
}

// Runs body(0) to body(count - 1), each on a thread of its own, all released at once; returns
// when every one has returned.
template <typename Body> void runTogether(int count, Body body)
{
    std::atomic<int> waiting{count};
    std::vector<std::thread> threads;
    for (int t = 0; t < count; ++t)
        threads.emplace_back(
            [&waiting, &body, t]
            {
                --waiting;
                while (waiting.load() > 0)
                    std::this_thread::yield();
                body(t);
            });
    for (std::thread& thread : threads)
        thread.join();
}

// printf's text for format and the arguments, up to 255 bytes.
std::string formatted(const char* format, ...);
long countOf(const std::vector<std::string>& lines, const std::string& line);
bool contains(const std::vector<std::string>& lines, const std::string& line);
size_t indexOf(const std::vector<std::string>& lines, const std::string& line); // size if none

// A pipe whose ends close with it; throws when pipe fails.
class Pipe
{
public:
    Pipe();
    ~Pipe();
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
    void closeEnd(int end);
    std::string readAll(); // up to the end of the file
    int fds[2] = {-1, -1};
};

// A module opened with dlopen and its VSTPluginMain called with audioMaster (null: one that
// answers Version only), as a host does; effect is null when a step failed, handle when dlopen did.
struct HostedModule
{
    void* handle;
    AEffect* effect;
};
HostedModule hostModule(const std::string& path, audioMasterCallback audioMaster = nullptr);

// A module loaded with dlopen as hosts load plug-ins; throws when it can't be loaded.
class LoadedModule
{
public:
    explicit LoadedModule(const std::string& path);
    ~LoadedModule();
    LoadedModule(const LoadedModule&) = delete;
    LoadedModule& operator=(const LoadedModule&) = delete;
    void* symbol(const char* name) const; // null when missing

private:
    void* handle = nullptr;
};
