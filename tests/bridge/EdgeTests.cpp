// What Oplexa writes, and how long Close waits, at the edges: a settings file is written only
// when it changed, through a symbolic link to its target, and never flushed to the disk on the
// thread that closes; Close waits for calls still inside by the clock. This program exports its
// own fsync and fdatasync, which Oplexa's calls reach before the C library's, to see which
// thread flushes.
#include "tests/support/OplexaUnderTest.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <pthread.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

namespace
{
std::atomic<int> flushes{0};
std::atomic<int> watchedThread{0};
std::atomic<int> flushesOnWatchedThread{0};

int threadId()
{
    return static_cast<int>(syscall(SYS_gettid));
}

using Flush = int (*)(int);
// Found before any flush: dlsym takes the loader's lock, which dlclose holds while Oplexa's
// unloading waits for its flushes.
const Flush realFsync = reinterpret_cast<Flush>(dlsym(RTLD_NEXT, "fsync"));
const Flush realFdatasync = reinterpret_cast<Flush>(dlsym(RTLD_NEXT, "fdatasync"));

int countFlush(Flush real, int fd)
{
    ++flushes;
    if (threadId() == watchedThread.load())
        ++flushesOnWatchedThread;
    return real(fd);
}

// Close on this thread, watched for flushes; its duration in milliseconds.
double closeWatched(AEffect* proxy)
{
    watchedThread = threadId();
    const auto begin = std::chrono::steady_clock::now();
    proxy->dispatcher(proxy, effClose, 0, 0, nullptr, 0.0f);
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - begin;
    watchedThread = 0;
    return took.count();
}

void hostOnce(OplexaUnderTest& oplexa)
{
    closeWatched(oplexa.startOrThrow());
}

ino_t inodeOf(const std::string& path)
{
    struct stat status
    {
    };
    return stat(path.c_str(), &status) == 0 ? status.st_ino : 0;
}
} // namespace

extern "C" __attribute__((visibility("default"))) int fsync(int fd)
{
    return countFlush(realFsync, fd);
}

extern "C" __attribute__((visibility("default"))) int fdatasync(int fd)
{
    return countFlush(realFdatasync, fd);
}

using Edges = ProbeHosted;

TEST_F(Edges, CloseWritesTheSettingsAndLeavesTheFlushToAnotherThread)
{
    AEffect* proxy = oplexa.startOrThrow();
    std::printf("Close took %.1f ms\n", closeWatched(proxy));
    EXPECT_NE(readFile(oplexa.settingsFile()).find("<Oplexa>"), std::string::npos);
    EXPECT_EQ(flushesOnWatchedThread.load(), 0);
    EXPECT_TRUE(waitUntil([] { return flushes.load() >= 1; }));
}

TEST_F(Edges, SettingsAreWrittenOnlyWhenTheyChangedOrTheFileIsMissing)
{
    const std::string settings = oplexa.settingsFile();
    // The same probe from another folder: the chooser's last folder changes.
    const std::string otherFolder = oplexa.folder().file("other");
    std::filesystem::create_directory(otherFolder);
    std::filesystem::create_symlink(probe.path(), otherFolder + "/oplexa-probe.so");
    struct Case
    {
        const char* what;
        std::string plugin;
        bool removeFirst;
        bool written;
    } cases[] = {
        {"the first session, no file yet", probe.path(), false, true},
        {"the same plug-in again", probe.path(), false, false},
        {"a plug-in from another folder", otherFolder + "/oplexa-probe.so", false, true},
        {"the same again", otherFolder + "/oplexa-probe.so", false, false},
        {"the same, with the file removed", otherFolder + "/oplexa-probe.so", true, true},
    };
    for (const Case& step : cases)
    {
        if (step.removeFirst)
            std::filesystem::remove(settings);
        const ino_t before = inodeOf(settings);
        oplexa.setPlugin(step.plugin);
        hostOnce(oplexa);
        EXPECT_EQ(inodeOf(settings) != before, step.written) << step.what;
        EXPECT_NE(
            readFile(settings).find(std::filesystem::path(step.plugin).parent_path().string()),
            std::string::npos)
            << step.what;
    }
}

TEST_F(Edges, ASymlinkedSettingsFileIsWrittenThroughToItsTarget)
{
    const std::string settings = oplexa.settingsFile();
    const std::string folder = oplexa.folder().file("real");
    const std::string target = folder + "/kept.xml";
    std::filesystem::create_directory(folder);
    struct Case
    {
        const char* what;
        std::string link;
        bool targetExists;
    } cases[] = {{"a relative link to no file yet", "real/kept.xml", false},
                 {"an absolute link to a file", target, true}};
    for (const Case& step : cases)
    {
        std::filesystem::remove(target);
        if (step.targetExists)
            std::ofstream(target) << "<Oplexa/>";
        std::filesystem::remove(settings);
        std::filesystem::create_symlink(step.link, settings);
        hostOnce(oplexa);
        EXPECT_TRUE(std::filesystem::is_symlink(settings)) << step.what;
        EXPECT_NE(readFile(target).find("<Logger>"), std::string::npos) << step.what;
        // The temporary file went beside the target, and is gone.
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder),
                                std::filesystem::directory_iterator()),
                  1)
            << step.what;
    }
}

namespace
{
void* callThatHangs(void* proxy)
{
    auto* effect = static_cast<AEffect*>(proxy);
    char name[64] = {};
    effect->dispatcher(effect, effGetEffectName, 0, 0, name, 0.0f);
    return nullptr;
}
} // namespace

// The wait for calls still inside is two seconds of the clock, however many threads are inside
// and however long each pause over them takes. The hung calls never return, so the process ends
// without unwinding them.
TEST_F(Edges, CloseWaitsTwoSecondsByTheClockWithFifteenHundredCallsInside)
{
    setenv("OPLEXA_PROBE_HANG_OPCODE", std::to_string(effGetEffectName).c_str(), 1);
    AEffect* proxy = oplexa.startOrThrow();
    constexpr int kThreads = 1500;
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, 256 * 1024);
    int started = 0;
    for (; started < kThreads; ++started)
    {
        pthread_t thread;
        if (pthread_create(&thread, &attributes, callThatHangs, proxy) != 0)
            break;
        pthread_detach(thread);
    }
    ASSERT_EQ(started, kThreads);
    ASSERT_TRUE(waitUntil([&] { return probe->dispatchCount(effGetEffectName) == kThreads; }));
    // Sleeps on the closing thread overshoot, as on a loaded machine: counted in passes, the
    // wait would grow with them.
    prctl(PR_SET_TIMERSLACK, 2000000UL);
    const double took = closeWatched(proxy);
    std::printf("Close with %d calls inside took %.0f ms\n", kThreads, took);
    EXPECT_GE(took, 2000.0);
    EXPECT_LT(took, 3000.0);
    const auto messages = oplexa.messages();
    EXPECT_TRUE(contains(messages, "Still inside effGetEffectName after 2 seconds at Close; " +
                                       probe.path() + " stays loaded"));
    std::fflush(stdout);
    std::_Exit(::testing::Test::HasFailure() ? 1 : 0);
}
