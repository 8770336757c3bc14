// Eight threads calling through the proxy record at once: the hosted plug-in gets every call,
// and the log holds exactly one whole line per call.
#include "tests/support/OplexaUnderTest.h"
#include "tests/support/Probe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <regex>
#include <thread>

TEST(BridgeConcurrency, TwoThreadsCallingTheEntryPointAtOnceHostExactlyOnce)
{
    Probe probe;
    OplexaUnderTest oplexa(probe.path());
    constexpr int kRounds = 20;
    for (int round = 0; round < kRounds; ++round)
    {
        std::atomic<int> waiting{2};
        AEffect* results[2] = {};
        auto call = [&](int i)
        {
            --waiting;
            while (waiting.load() > 0)
                std::this_thread::yield();
            results[i] = oplexa.start();
        };
        std::thread first(call, 0), second(call, 1);
        first.join();
        second.join();
        ASSERT_NE(results[0] == nullptr, results[1] == nullptr) << "round " << round;
        AEffect* proxy = results[0] != nullptr ? results[0] : results[1];
        proxy->dispatcher(proxy, effClose, 0, 0, nullptr, 0.0f);
    }
    const auto messages = oplexa.messages();
    EXPECT_EQ(std::count(messages.begin(), messages.end(),
                         "Oplexa is exiting VST main function with NULL since we are already "
                         "hosting a plugin"),
              kRounds);
}

TEST(BridgeConcurrency, EightThreadsThroughTheProxyGiveWholeLinesThatAddUp)
{
    Probe probe;
    OplexaUnderTest oplexa(probe.path());
    AEffect* proxy = oplexa.start();
    ASSERT_NE(proxy, nullptr);
    const size_t startLines = oplexa.lines().size();
    constexpr int kThreads = 8;
    constexpr int kCalls = 1500;

    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back(
            [proxy, t]
            {
                float buffer[2][16] = {};
                float* channels[] = {buffer[0], buffer[1]};
                for (int i = 0; i < kCalls; ++i)
                {
                    switch ((i + t) % 3)
                    {
                    case 0:
                        proxy->dispatcher(proxy, effGetVendorVersion, 0, 0, nullptr, 0.0f);
                        break;
                    case 1:
                        proxy->processReplacing(proxy, channels, channels, 16);
                        break;
                    default:
                        proxy->getParameter(proxy, 0);
                        break;
                    }
                }
            });
    for (auto& thread : threads)
        thread.join();

    constexpr int64_t perKind = kThreads * kCalls / 3;
    EXPECT_EQ(probe->dispatchCount(effGetVendorVersion), perKind);
    EXPECT_EQ(probe->functionCount(kProbeProcessReplacing), perKind);
    EXPECT_EQ(probe->functionCount(kProbeGetParameter), perKind);

    const std::regex whole(
        R"(\([0-9A-F]+\) oplexa-probe\.so:(effGetVendorVersion |effGetVendorVersion returned version=\d+ |processReplacing\(inputs:0x[0-9a-f]+, outputs:0x[0-9a-f]+, sampleFrames:16\)|getParameter\(index: 0\)|getParameter returned [0-9.]+))");
    std::map<std::string, int64_t> kinds;
    const auto lines = oplexa.lines();
    std::smatch match;
    for (size_t i = startLines; i < lines.size(); ++i)
    {
        ASSERT_TRUE(std::regex_match(lines[i], match, whole)) << lines[i];
        const std::string what = match[1].str();
        ++kinds[what.substr(0, what.find_first_of(" (") +
                                   (what.find("returned") != std::string::npos ? 9 : 0))];
    }
    ASSERT_EQ(kinds.size(), 5u);
    for (const auto& [kind, count] : kinds)
        EXPECT_EQ(count, perKind) << kind;
}
