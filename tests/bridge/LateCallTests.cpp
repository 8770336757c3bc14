// Calls that arrive after Close, from a host thread on the old record or from the closed
// plug-in's own thread on its callback, reach no other instance; every callback is its own
// session's, also with a null record.
#include "tests/support/OplexaUnderTest.h"

#include <algorithm>
#include <array>
#include <set>
#include <thread>

// A host thread keeps calling the records of the last instances after their Close while new
// ones start: no new plug-in gets any of those calls, and 65 instances in a row each have a
// record of their own.
using LateCalls = ProbeHosted;

TEST_F(LateCalls, HostCallsOnClosedRecordsReachNoLaterInstance)
{
    // The demo gain lives throughout, as in a host with other tracks: the log output stays up.
    oplexa.setPlugin(std::string(OPLEXA_DEMO_PATH) + ":" + probe.path());
    AEffect* keeper = oplexa.startOrThrow();
    constexpr int kCycles = 100;
    constexpr size_t kDistinctInARow = 65;
    // Fewer than are kept apart, so that a call loaded just before a record is reused is not late.
    std::array<std::atomic<AEffect*>, 32> closed{};
    std::atomic<bool> done{false};
    std::atomic<int64_t> lateCalls{0};
    std::thread host(
        [&]
        {
            float buffer[2][16] = {};
            float* channels[] = {buffer[0], buffer[1]};
            while (!done.load())
                for (auto& record : closed)
                    if (AEffect* proxy = record.load())
                    {
                        proxy->processReplacing(proxy, channels, channels, 16);
                        proxy->dispatcher(proxy, effGetVendorVersion, 0, 0, nullptr, 0.0f);
                        ++lateCalls;
                    }
        });
    std::vector<AEffect*> records;
    for (int cycle = 0; cycle < kCycles; ++cycle)
    {
        AEffect* proxy = oplexa.startOrThrow();
        records.push_back(proxy);
        proxy->dispatcher(proxy, effOpen, 0, 0, nullptr, 0.0f);
        for (const int64_t seen = lateCalls.load(); cycle > 0 && lateCalls.load() < seen + 20;)
            std::this_thread::yield();
        proxy->dispatcher(proxy, effClose, 0, 0, nullptr, 0.0f);
        closed[static_cast<size_t>(cycle) % closed.size()] = proxy;
    }
    done = true;
    host.join();
    keeper->dispatcher(keeper, effClose, 0, 0, nullptr, 0.0f);
    EXPECT_EQ(probe->functionCount(kProbeProcessReplacing), 0);
    EXPECT_EQ(probe->dispatchCount(effGetVendorVersion), 0);
    EXPECT_EQ(probe->dispatchCount(effOpen), kCycles);
    size_t fewest = kDistinctInARow;
    for (auto from = records.begin(); from + kDistinctInARow <= records.end(); ++from)
        fewest = std::min(fewest, std::set<AEffect*>(from, from + kDistinctInARow).size());
    EXPECT_EQ(fewest, kDistinctInARow);
}

// The probe's thread calls back with a null record while two instances live, and with its record
// after its Close while the other one lives: the first reaches the host under its own name, the
// others return 0, never reach the host as the other instance's, and are said once.
TEST_F(LateCalls, CallbacksOfAPluginThreadBelongToTheirOwnInstance)
{
    AEffect* first = oplexa.startOrThrow();
    const audioMasterCallback firstCallback = probe->audioMaster();
    AEffect* second = oplexa.startOrThrow();
    std::thread([&] { firstCallback(nullptr, audioMasterAutomate, 7, 0, nullptr, 0.25f); }).join();
    ASSERT_FALSE(TestHost::calls().empty());
    EXPECT_EQ(TestHost::calls().back().effect, nullptr);
    EXPECT_EQ(TestHost::calls().back().index, 7);
    const auto live = oplexa.lines();
    const auto automate = std::find_if(live.begin(), live.end(),
                                       [](const std::string& line)
                                       { return line.find(":audioMasterAutomate ") != line.npos; });
    ASSERT_NE(automate, live.end());
    EXPECT_NE(automate->find(" oplexa-probe.so:"), std::string::npos) << *automate;

    first->dispatcher(first, effClose, 0, 0, nullptr, 0.0f);
    const size_t before = TestHost::calls().size();
    std::thread(
        [&]
        {
            for (int i = 0; i < 20; ++i)
                EXPECT_EQ(
                    firstCallback(probe->getRecord(), audioMasterAutomate, i % 3, 0, nullptr, 0.5f),
                    0);
        })
        .join();
    EXPECT_EQ(TestHost::calls().size(), before);
    int64_t said = 0;
    for (const std::string& line : oplexa.lines())
        if (messageOf(line) == "Callback audioMasterAutomate after Close returned 0")
        {
            ++said;
            EXPECT_NE(line.find(") oplexa-probe.so:"), std::string::npos) << line;
        }
    EXPECT_EQ(said, 1);
    second->dispatcher(second, effClose, 0, 0, nullptr, 0.0f);
}

// 256 live instances each hand their plug-in a callback of its own. With none left the next
// instance is refused, and once one is closed, takes the callback of the instance closed longest
// ago, and says so.
TEST_F(LateCalls, TwoHundredFiftySixLiveInstancesHaveDistinctCallbacks)
{
    std::vector<AEffect*> live;
    std::vector<audioMasterCallback> callbacks;
    for (int i = 0; i < 256; ++i)
    {
        live.push_back(oplexa.start());
        ASSERT_NE(live.back(), nullptr) << i;
        callbacks.push_back(probe->audioMaster());
    }
    EXPECT_EQ(std::set<audioMasterCallback>(callbacks.begin(), callbacks.end()).size(), 256u);
    // Every callback is a live instance's: the next one is refused.
    EXPECT_EQ(oplexa.start(), nullptr);
    live[0]->dispatcher(live[0], effClose, 0, 0, nullptr, 0.0f);
    live[0] = oplexa.startOrThrow();
    EXPECT_EQ(probe->audioMaster(), callbacks[0]);
    for (AEffect* proxy : live)
        proxy->dispatcher(proxy, effClose, 0, 0, nullptr, 0.0f);
    const auto messages = oplexa.messages();
    EXPECT_EQ(countOf(messages, "Oplexa is exiting VST main function with NULL since 256 "
                                "instances are live"),
              1);
    EXPECT_EQ(countOf(messages, "Reusing the callback of a closed instance: more than "
                                "256 instances were started"),
              1);
}

// A host that nests: its answer to a callback of instance A calls instance B. While that inner
// call is inside B, another thread closes A: the close waits for the outer call, still inside A.
namespace
{
std::atomic<AEffect*> inner{nullptr};
std::atomic<int> nested{0}; // 1: the inner call is inside; 2: and A's plug-in got Close meanwhile
const ProbeApi* nestedProbe = nullptr;

VstIntPtr nestingHost(AEffect*, int32_t opcode, int32_t, VstIntPtr, void*, float)
{
    if (opcode == audioMasterGetVendorVersion)
        inner.load()->dispatcher(inner, effGetPlugCategory, 0, 0, nullptr, 0.0f);
    if (opcode == audioMasterAutomate)
    {
        nested = 1;
        nested = waitUntil([] { return nestedProbe->dispatchCount(effClose) > 0; }, 1000) ? 2 : 1;
    }
    return 0;
}
} // namespace

TEST_F(LateCalls, CloseWaitsForACallThatIsInsideAnotherInstance)
{
    nestedProbe = &*probe;
    LoadedModule module(oplexa.modulePath());
    auto entry = reinterpret_cast<VstPluginMainProc>(module.symbol("VSTPluginMain"));
    AEffect* outer = entry(nestingHost);
    inner = entry(nestingHost);
    probe.callHostAt(effGetVendorVersion, audioMasterGetVendorVersion);
    probe.callHostAt(effGetPlugCategory, audioMasterAutomate);
    std::thread closer(
        [&]
        {
            waitUntil([] { return nested > 0; });
            outer->dispatcher(outer, effClose, 0, 0, nullptr, 0.0f);
        });
    outer->dispatcher(outer, effGetVendorVersion, 0, 0, nullptr, 0.0f);
    closer.join();
    inner.load()->dispatcher(inner, effClose, 0, 0, nullptr, 0.0f);
    EXPECT_EQ(nested, 1);
}
