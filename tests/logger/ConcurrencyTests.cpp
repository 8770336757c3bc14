// Eight threads reporting calls at once, with a ninth switching and resetting: only whole
// lines. The ThreadSanitizer build runs these too. (Whole lines and exact counts with logging
// on are checked through the module by the bridge's concurrency test.)
// With logging stopped a call is only counted, so the threads hit the same counters millions
// of times; a counter that loses updates between threads is caught every run, not now and then.
#include "logger/OXLogger.h"
#include "tests/support/TestFiles.h"
#include "vst/VstInterface.h"

#include <gtest/gtest.h>

#include <regex>
#include <thread>

namespace
{
constexpr int kThreads = 8;
constexpr int kCallsPerThread = 4000;

void makeCalls(OXLogger& logger, int thread)
{
    char text[] = "sendVstEvents";
    for (int i = 0; i < kCallsPerThread; ++i)
    {
        switch ((i + thread) % 4)
        {
        case 0:
            logger.logVstDispatcher(effCanDo, 0, 0, text, 0.0f);
            logger.logVstDispatcherReturn(effCanDo, text, 1);
            break;
        case 1:
            logger.logVstProcess(nullptr, nullptr, 64, true);
            break;
        case 2:
            logger.logVstAudioMaster(audioMasterGetTime, 0, 0, nullptr, 0.0f);
            logger.logVstAudioMasterReturn(audioMasterGetTime, nullptr, 0);
            break;
        default:
            logger.logVstGetParameter(thread);
            logger.logVstGetParameterReturn(0.5f);
            break;
        }
    }
}

} // namespace

TEST(Concurrency, CountersLoseNoUpdateWhileOnlyCounting)
{
    OXLogger logger;
    logger.init("Test.so");
    logger.loggingActive = false;
    constexpr int kCalls = 4000000;
    // All threads start together, so they overlap however the machine schedules them.
    runTogether(kThreads,
                [&logger](int)
                {
                    for (int i = 0; i < kCalls; ++i)
                    {
                        logger.logVstDispatcher(effGetVendorVersion, 0, 0, nullptr, 0.0f);
                        logger.logVstAudioMaster(audioMasterIdle, 0, 0, nullptr, 0.0f);
                    }
                });
    logger.loggingActive = true;
    const int total = kThreads * kCalls;
    EXPECT_EQ(logger.getVstOpCodeCount(OXLogger::vstDispatcherOpCodes, effGetVendorVersion), total);
    EXPECT_EQ(logger.getVstOpCodeCount(OXLogger::vstAEffectFunctions, fnDispatcher), total);
    EXPECT_EQ(logger.getVstOpCodeCount(OXLogger::vstAudioMasterOpCodes, audioMasterIdle), total);
    EXPECT_EQ(logger.getVstOpCodeCount(OXLogger::vstAEffectFunctions, fnAudioMaster), total);
}

TEST(Concurrency, SwitchingAndResettingWhileThreadsCallStaysWhole)
{
    TempFolder folder;
    const std::string path = folder.file("log.txt");
    setenv("OPLEXA_LOG_FILE", path.c_str(), 1);
    OXLogger logger;
    logger.init("Test.so");
    logger.startOutput(juce::File());
    std::atomic<bool> done{false};
    std::thread window(
        [&]
        {
            for (int i = 0; i < 2000; ++i)
            {
                logger.setVstOpCodeEnabled(i % 2 == 0, OXLogger::vstDispatcherOpCodes, effCanDo);
                if (i % 2 == 0)
                    logger.toggleVstOpCodesEnabled();
                else
                    logger.setVstOpCodesEnabled(true);
                if (i % 7 == 0)
                    logger.resetVstOpCodeCounters();
                logger.logParameters = i % 3 != 0;
                logger.loggingActive = i % 5 != 0;
                std::this_thread::yield();
            }
            done = true;
        });
    // The callers go on until the switching is over, so they meet every state it passes through.
    runTogether(kThreads,
                [&done, &logger](int t)
                {
                    do
                        makeCalls(logger, t);
                    while (!done);
                });
    window.join();
    logger.stopOutput();

    // Lines may be shortened by logParameters going off; none may be torn. Audio threads never
    // wait for room in the queue, so the writer may report drops.
    const std::regex whole(
        R"(\([0-9A-F]+\) Test\.so:(effCanDo .*|processReplacing.*|audioMasterGetTime .*|getParameter.*|Dropped \d+ log lines: the log queue was full))");
    const auto lines = readLines(path);
    for (const std::string& line : lines)
        ASSERT_TRUE(std::regex_match(line, whole)) << line;
    EXPECT_FALSE(lines.empty()); // the switches are all on in every other state
}
