// Eight threads reporting calls at once: only whole lines, and counts that add up exactly.
// The ThreadSanitizer build runs these too, with a ninth thread switching and resetting.
// With logging stopped a call is only counted, so the threads hit the same counters millions
// of times; a counter that loses updates between threads is caught every run, not now and then.
#include "bridge/VstInterface.h"
#include "logger/OXLogger.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <thread>
#include <unistd.h>

namespace
{
constexpr int kThreads = 8;
constexpr int kCallsPerThread = 4000;

std::string logFile()
{
    char pattern[] = "/tmp/oplexa-concurrency-XXXXXX";
    close(mkstemp(pattern));
    setenv("OPLEXA_LOG_FILE", pattern, 1);
    return pattern;
}

void makeCalls(int thread)
{
    char text[] = "sendVstEvents";
    for (int i = 0; i < kCallsPerThread; ++i)
    {
        switch ((i + thread) % 4)
        {
        case 0:
            oxLogger.logVstDispatcher(effCanDo, 0, 0, text, 0.0f);
            oxLogger.logVstDispatcherReturn(effCanDo, text, 1);
            break;
        case 1:
            oxLogger.logVstProcess(nullptr, nullptr, 64, true);
            break;
        case 2:
            oxLogger.logVstAudioMaster(audioMasterGetTime, 0, 0, nullptr, 0.0f);
            oxLogger.logVstAudioMasterReturn(audioMasterGetTime, nullptr, 0);
            break;
        default:
            oxLogger.logVstGetParameter(thread);
            oxLogger.logVstGetParameterReturn(0.5f);
            break;
        }
    }
}

// Every line must be one of the forms the calls above produce, whole.
size_t countWholeLines(const std::string& path, std::map<std::string, int>& perKind)
{
    const std::regex line(
        R"(\([0-9A-F]+\) Test\.so:(effCanDo text=sendVstEvents |effCanDo returned long=1 |processReplacing\(inputs:\(nil\), outputs:\(nil\), sampleFrames:64\)|audioMasterGetTime filter=0 |audioMasterGetTime returned TimeInfo=0 |getParameter\(index: \d\)|getParameter returned 0\.500000))");
    std::ifstream in(path);
    size_t bad = 0;
    std::smatch match;
    for (std::string text; std::getline(in, text);)
    {
        if (std::regex_match(text, match, line))
            ++perKind[match[1].str().rfind("getParameter(", 0) == 0 ? "getParameter("
                                                                    : match[1].str()];
        else
            ++bad;
    }
    return bad;
}
} // namespace

TEST(Concurrency, CountersLoseNoUpdateWhileOnlyCounting)
{
    oxLogger.init("Test.so");
    oxLogger.loggingActive = false;
    constexpr int kCalls = 250000;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back(
            []
            {
                for (int i = 0; i < kCalls; ++i)
                {
                    oxLogger.logVstDispatcher(effGetVendorVersion, 0, 0, nullptr, 0.0f);
                    oxLogger.logVstAudioMaster(audioMasterIdle, 0, 0, nullptr, 0.0f);
                }
            });
    for (auto& thread : threads)
        thread.join();
    oxLogger.loggingActive = true;
    const int total = kThreads * kCalls;
    EXPECT_EQ(oxLogger.getVstOpCodeCount(OXLogger::vstDispatcherOpCodes, effGetVendorVersion),
              total);
    EXPECT_EQ(oxLogger.getVstOpCodeCount(OXLogger::vstAEffectFunctions, fnDispatcher), total);
    EXPECT_EQ(oxLogger.getVstOpCodeCount(OXLogger::vstAudioMasterOpCodes, audioMasterIdle), total);
    EXPECT_EQ(oxLogger.getVstOpCodeCount(OXLogger::vstAEffectFunctions, fnAudioMaster), total);
}

TEST(Concurrency, EightThreadsWriteOnlyWholeLinesAndCountsAddUp)
{
    const std::string path = logFile();
    oxLogger.init("Test.so");
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back(makeCalls, t);
    for (auto& thread : threads)
        thread.join();

    const int perKind = kThreads * kCallsPerThread / 4;
    EXPECT_EQ(oxLogger.getVstOpCodeCount(OXLogger::vstDispatcherOpCodes, effCanDo), perKind);
    EXPECT_EQ(oxLogger.getVstOpCodeCount(OXLogger::vstAEffectFunctions, fnDispatcher), perKind);
    EXPECT_EQ(oxLogger.getVstOpCodeCount(OXLogger::vstAEffectFunctions, fnProcessReplacing),
              perKind);
    EXPECT_EQ(oxLogger.getVstOpCodeCount(OXLogger::vstAudioMasterOpCodes, audioMasterGetTime),
              perKind);
    EXPECT_EQ(oxLogger.getVstOpCodeCount(OXLogger::vstAEffectFunctions, fnGetParameter), perKind);

    std::map<std::string, int> lines;
    EXPECT_EQ(countWholeLines(path, lines), 0u);
    EXPECT_EQ(lines.size(), 7u);
    for (const auto& [kind, count] : lines)
        EXPECT_EQ(count, perKind) << kind;
    unlink(path.c_str());
}

TEST(Concurrency, SwitchingAndResettingWhileThreadsCallStaysWhole)
{
    const std::string path = logFile();
    oxLogger.init("Test.so");
    std::atomic<bool> done{false};
    std::thread window(
        [&]
        {
            for (int i = 0; i < 2000; ++i)
            {
                oxLogger.setVstOpCodeEnabled(i % 2 == 0, OXLogger::vstDispatcherOpCodes, effCanDo);
                if (i % 2 == 0)
                    oxLogger.toggleVstOpCodesEnabled();
                else
                    oxLogger.setVstOpCodesEnabled(true);
                if (i % 7 == 0)
                    oxLogger.resetVstOpCodeCounters();
                oxLogger.logParameters = i % 3 != 0;
                oxLogger.loggingActive = i % 5 != 0;
                std::this_thread::yield();
            }
            done = true;
        });
    // The callers go on until the switching is over, so they meet every state it passes through.
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back(
            [&done, t]
            {
                do
                    makeCalls(t);
                while (!done);
            });
    for (auto& thread : threads)
        thread.join();
    window.join();

    // Lines may be shortened by logParameters going off; none may be torn.
    const std::regex whole(
        R"(\([0-9A-F]+\) Test\.so:(effCanDo .*|processReplacing.*|audioMasterGetTime .*|getParameter.*))");
    std::ifstream in(path);
    size_t lines = 0;
    for (std::string text; std::getline(in, text); ++lines)
        ASSERT_TRUE(std::regex_match(text, whole)) << text;
    EXPECT_GT(lines, 0u); // the switches are all on in every other state
    unlink(path.c_str());
}
