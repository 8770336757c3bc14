// Eight threads calling through the proxy record at once: the hosted plug-in gets every call,
// and the log holds exactly one whole line per call. Instances started, used and closed on
// many threads at once keep to themselves.
#include "tests/support/OplexaUnderTest.h"

#include <cstdio>
#include <fcntl.h>
#include <map>
#include <regex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using BridgeConcurrency = ProbeHosted;

TEST_F(BridgeConcurrency, TwoThreadsCallingTheEntryPointAtOnceHostExactlyOnceWhenSingleInstance)
{
    oplexa.writeParameters(R"(singleInstance="1")");
    constexpr int kRounds = 20;
    for (int round = 0; round < kRounds; ++round)
    {
        AEffect* results[2] = {};
        runTogether(2, [&](int i) { results[i] = oplexa.start(); });
        ASSERT_NE(results[0] == nullptr, results[1] == nullptr) << "round " << round;
        AEffect* proxy = results[0] != nullptr ? results[0] : results[1];
        proxy->dispatcher(proxy, effClose, 0, 0, nullptr, 0.0f);
    }
    const auto messages = oplexa.messages();
    EXPECT_EQ(countOf(messages, "Oplexa is exiting VST main function with NULL since we are "
                                "already hosting a plugin"),
              kRounds);
}

TEST_F(BridgeConcurrency, EightThreadsThroughTheProxyGiveWholeLinesThatAddUp)
{
    // Room for every line however slowly the writer runs (under ThreadSanitizer, say): the
    // callers that process audio would otherwise drop lines rather than wait.
    oplexa.writeParameters(R"(logQueueKB="65536")");
    AEffect* proxy = oplexa.startOrThrow();
    const size_t startLines = oplexa.lines().size();
    constexpr int kThreads = 8;
    constexpr int kCalls = 1500;

    runTogether(kThreads,
                [proxy](int t)
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

namespace
{
// Calls on one instance as a host makes them around its blocks, each thread with its own buffers.
void useInstance(AEffect* proxy, int blocks)
{
    float buffer[2][16] = {};
    float* channels[] = {buffer[0], buffer[1]};
    proxy->dispatcher(proxy, effOpen, 0, 0, nullptr, 0.0f);
    proxy->dispatcher(proxy, effMainsChanged, 0, 1, nullptr, 0.0f);
    for (int block = 0; block < blocks; ++block)
    {
        proxy->setParameter(proxy, 0, 0.5f);
        proxy->processReplacing(proxy, channels, channels, 16);
    }
    proxy->dispatcher(proxy, effMainsChanged, 0, 0, nullptr, 0.0f);
}

// Log lines of the demo plug-in's instances that hold what, by instance number.
std::map<int, int64_t> linesPerInstance(const OplexaUnderTest& oplexa, const std::string& what)
{
    const std::regex named(R"(\([0-9A-F]+\) oplexa-demo-gain\.so(#(\d+))?:)" + what + ".*");
    std::map<int, int64_t> counts;
    std::smatch match;
    for (const std::string& line : oplexa.lines())
        if (std::regex_match(line, match, named))
            ++counts[match[2].matched ? std::stoi(match[2].str()) : 1];
    return counts;
}
} // namespace

TEST_F(BridgeConcurrency, EightThreadsStartAndCloseInstancesAtOnce)
{
    oplexa.setPlugin(OPLEXA_DEMO_PATH);
    constexpr int kThreads = 8;
    constexpr int kRounds = 4;
    std::atomic<int> refused{0};
    for (int round = 0; round < kRounds; ++round)
    {
        runTogether(kThreads,
                    [&](int)
                    {
                        AEffect* proxy = oplexa.start();
                        if (proxy == nullptr)
                        {
                            ++refused;
                            return;
                        }
                        useInstance(proxy, 10);
                        proxy->dispatcher(proxy, effClose, 0, 0, nullptr, 0.0f);
                    });
    }
    EXPECT_EQ(refused.load(), 0);
    // Numbers are the smallest free ones, so never above the instances alive at once.
    int64_t closed = 0;
    for (const auto& [number, count] : linesPerInstance(oplexa, "effClose"))
    {
        EXPECT_LE(number, kThreads);
        closed += count;
    }
    EXPECT_EQ(closed, kThreads * kRounds);
    int64_t processed = 0;
    for (const auto& [number, count] : linesPerInstance(oplexa, R"(processReplacing\()"))
        processed += count;
    EXPECT_EQ(processed, kThreads * kRounds * 10);
}

TEST_F(BridgeConcurrency, TwoThreadsUseTheirInstancesWhileAThirdStartsAndClosesOthers)
{
    oplexa.setPlugin(OPLEXA_DEMO_PATH);
    AEffect* first = oplexa.startOrThrow();
    AEffect* second = oplexa.startOrThrow();
    ASSERT_NE(first, second);
    constexpr int kBlocks = 1000;
    constexpr int kOthers = 30;
    std::thread firstUser(useInstance, first, kBlocks);
    std::thread secondUser(useInstance, second, kBlocks);
    std::thread starter(
        [&]
        {
            for (int i = 0; i < kOthers; ++i)
                if (AEffect* other = oplexa.start())
                {
                    useInstance(other, 1);
                    other->dispatcher(other, effClose, 0, 0, nullptr, 0.0f);
                }
        });
    firstUser.join();
    secondUser.join();
    starter.join();
    for (AEffect* proxy : {first, second})
        proxy->dispatcher(proxy, effClose, 0, 0, nullptr, 0.0f);
    // While 1 and 2 are alive, every other instance is number 3.
    const std::map<int, int64_t> expected{{1, kBlocks}, {2, kBlocks}, {3, kOthers}};
    EXPECT_EQ(linesPerInstance(oplexa, R"(processReplacing\()"), expected);
    EXPECT_EQ(linesPerInstance(oplexa, "effClose"),
              (std::map<int, int64_t>{{1, 1}, {2, 1}, {3, kOthers}}));
}

TEST_F(BridgeConcurrency, AHostCallRacingTheLastCloseFindsTheLogOutputStillThere)
{
    // The late caller fills so small a queue that it often waits for room while Close stops
    // the output.
    oplexa.writeParameters(R"(logQueueKB="64")");
    constexpr int kRounds = 25;
    for (int round = 0; round < kRounds; ++round)
    {
        AEffect* proxy = oplexa.startOrThrow();
        std::atomic<bool> closed{false};
        std::atomic<int> calls{0};
        // Read once: Close rewrites the record the late thread holds.
        const auto dispatcher = proxy->dispatcher;
        std::thread late(
            [&]
            {
                while (!closed.load())
                {
                    dispatcher(proxy, effGetVendorVersion, 0, 0, nullptr, 0.0f);
                    ++calls;
                }
            });
        while (calls.load() < 2000)
            std::this_thread::yield();
        proxy->dispatcher(proxy, effClose, 0, 0, nullptr, 0.0f);
        closed = true;
        late.join();
    }
    // The probe never got a call after Close.
    EXPECT_EQ(probe->callsAfterClose(), 0);
}

// A start that waits on the settings file (a FIFO that nobody writes to yet, standing for a slow
// disk or network folder) holds up no other instance's Close: no lock is held across it.
TEST_F(BridgeConcurrency, AStartWaitingOnTheSettingsFileHoldsUpNoOtherInstancesClose)
{
    AEffect* first = oplexa.startOrThrow();
    const std::string fifo = oplexa.folder().file("settings.fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    std::remove(oplexa.settingsFile().c_str());
    ASSERT_EQ(link(fifo.c_str(), oplexa.settingsFile().c_str()), 0);
    std::atomic<AEffect*> second{nullptr};
    std::atomic<bool> started{false};
    std::thread starter(
        [&]
        {
            second = oplexa.start();
            started = true;
        });
    // A writer can open the FIFO without waiting once the start has it open; held open and
    // silent, it keeps the start's read waiting.
    int writer = -1;
    waitUntil([&] { return (writer = open(fifo.c_str(), O_WRONLY | O_NONBLOCK)) >= 0; });
    std::atomic<bool> closed{false};
    std::thread closer(
        [&]
        {
            first->dispatcher(first, effClose, 0, 0, nullptr, 0.0f);
            closed = true;
        });
    const bool closedWhileStartWaited = waitUntil([&] { return closed.load(); });
    // The start reads an empty file and goes on, as often as it opens the FIFO.
    if (writer >= 0)
        close(writer);
    while (!started)
    {
        if (const int fd = open(fifo.c_str(), O_WRONLY | O_NONBLOCK); fd >= 0)
            close(fd);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    closer.join();
    starter.join();
    EXPECT_GE(writer, 0);
    EXPECT_TRUE(closedWhileStartWaited);
    ASSERT_NE(second.load(), nullptr);
    second.load()->dispatcher(second, effClose, 0, 0, nullptr, 0.0f);
}
