// The probe in the test's own process, driven through its control interface the way tests of
// Oplexa drive it: what it is told to do, it does, and what reaches it, it records exactly.
#include "tests/plugins/ProbeControl.h"
#include "tests/plugins/PartnerPaths.h"

#include <gtest/gtest.h>

#include <cstring>
#include <dlfcn.h>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace
{
struct SeenByHost
{
    std::mutex mutex;
    std::vector<AEffect*> effects;
    std::vector<std::string> canDos;
};

SeenByHost& seenByHost()
{
    static SeenByHost seen;
    return seen;
}

VstIntPtr testAudioMaster(AEffect* effect, int32_t opcode, int32_t, VstIntPtr, void* ptr, float)
{
    std::lock_guard<std::mutex> lock(seenByHost().mutex);
    seenByHost().effects.push_back(effect);
    switch (opcode)
    {
    case audioMasterVersion:
        return 2400;
    case audioMasterGetVendorString:
        std::strcpy(static_cast<char*>(ptr), "TestHost");
        return 1;
    case audioMasterCanDo:
        seenByHost().canDos.emplace_back(static_cast<const char*>(ptr));
        return 1;
    default:
        return 0;
    }
}

class ProbeInProcess : public ::testing::Test
{
protected:
    void SetUp() override
    {
        handle = dlopen(partners::kProbePath, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(handle, nullptr) << dlerror();
        auto apiOf = reinterpret_cast<const ProbeApi* (*)()>(dlsym(handle, "probe_api"));
        entry = reinterpret_cast<VstPluginMainProc>(dlsym(handle, "VSTPluginMain"));
        ASSERT_NE(apiOf, nullptr);
        ASSERT_NE(entry, nullptr);
        api = apiOf();
        api->reset();
        std::lock_guard<std::mutex> lock(seenByHost().mutex);
        seenByHost().effects.clear();
        seenByHost().canDos.clear();
    }

    void TearDown() override
    {
        if (handle != nullptr)
            dlclose(handle);
    }

    VstIntPtr dispatch(AEffect* effect, int32_t opcode, int32_t index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f)
    {
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    }

    void* handle = nullptr;
    const ProbeApi* api = nullptr;
    VstPluginMainProc entry = nullptr;
};
} // namespace

TEST_F(ProbeInProcess, CallsTheHostFromItsEntryPointAndKeepsTheAnswers)
{
    ProbeMasterCall version{kProbeAtEntry, audioMasterVersion, 0, 0, 0.0f, 0, nullptr, 0};
    ProbeMasterCall vendor{kProbeAtEntry, audioMasterGetVendorString, 0, 0, 0.0f, 64, nullptr, 0};
    ProbeMasterCall canDo{kProbeAtEntry, audioMasterCanDo, 0, 0, 0.0f, 0, "sendVstTimeInfo", 1};
    ASSERT_TRUE(api->addMasterCall(&version));
    ASSERT_TRUE(api->addMasterCall(&vendor));
    ASSERT_TRUE(api->addMasterCall(&canDo));

    AEffect* effect = entry(testAudioMaster);
    ASSERT_EQ(effect, api->getRecord());
    EXPECT_EQ(effect->magic, kEffectMagic);
    EXPECT_STREQ(api->entryName(), "VSTPluginMain");
    EXPECT_EQ(api->audioMaster(), &testAudioMaster);

    ASSERT_EQ(api->masterAnswerCount(), 3);
    ProbeMasterAnswer answers[3];
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(api->masterAnswer(i, &answers[i]));
    EXPECT_EQ(answers[0].result, 2400);
    EXPECT_EQ(answers[0].effectPassed, effect);
    EXPECT_STREQ(answers[1].text, "TestHost");
    EXPECT_EQ(answers[2].effectPassed, nullptr);
    EXPECT_LT(answers[0].sequence, answers[2].sequence);
    std::lock_guard<std::mutex> lock(seenByHost().mutex);
    EXPECT_EQ(seenByHost().effects, (std::vector<AEffect*>{effect, effect, nullptr}));
    EXPECT_EQ(seenByHost().canDos, std::vector<std::string>{"sendVstTimeInfo"});
}

TEST_F(ProbeInProcess, ReturnsNullOrAWrongMagicWhenTold)
{
    api->setEntryMode(kProbeEntryNull);
    EXPECT_EQ(entry(testAudioMaster), nullptr);
    api->setEntryMode(kProbeEntryBadMagic);
    AEffect* effect = entry(testAudioMaster);
    ASSERT_NE(effect, nullptr);
    EXPECT_NE(effect->magic, kEffectMagic);
    EXPECT_EQ(api->functionCount(kProbeEntry), 2);
}

TEST_F(ProbeInProcess, WritesConfiguredTextsInFullAndEchoesReceivedOnes)
{
    const std::string longName(10000, 'x');
    api->setText(effGetEffectName, longName.c_str());
    AEffect* effect = entry(testAudioMaster);
    std::vector<char> buffer(16384, '\0');

    EXPECT_EQ(dispatch(effect, effGetEffectName, 0, 0, buffer.data()), 1);
    EXPECT_EQ(std::string(buffer.data()), longName);
    ProbeDispatchCall call{};
    ASSERT_TRUE(api->lastDispatch(effGetEffectName, &call));
    EXPECT_EQ(std::string(call.text), longName.substr(0, kProbeTextSize - 1));

    dispatch(effect, effGetParamName, 0, 0, buffer.data());
    EXPECT_STREQ(buffer.data(), "Gain");
    std::string newName = "Renamed by the test";
    dispatch(effect, effSetProgramName, 0, 0, newName.data());
    dispatch(effect, effGetProgramName, 0, 0, buffer.data());
    EXPECT_STREQ(buffer.data(), "Renamed by the test");
    ASSERT_TRUE(api->lastDispatch(effSetProgramName, &call));
    EXPECT_STREQ(call.text, "Renamed by the test");

    std::string canDo = "receiveVstEvents";
    api->setResult(effCanDo, -1);
    EXPECT_EQ(dispatch(effect, effCanDo, 0, 0, canDo.data()), -1);
    ASSERT_TRUE(api->lastDispatch(effCanDo, &call));
    EXPECT_STREQ(call.text, "receiveVstEvents");

    std::string text = "0.125";
    EXPECT_EQ(dispatch(effect, 27 /* String2Parameter */, 1, 0, text.data()), 1);
    EXPECT_EQ(effect->getParameter(effect, 1), 0.125f);
}

TEST_F(ProbeInProcess, RecordsArgumentsAndEffectPointersPerFunction)
{
    AEffect* effect = entry(testAudioMaster);
    AEffect stranger{};
    int marker = 0;
    const VstIntPtr wide = static_cast<VstIntPtr>(0x123456789abLL);
    dispatch(effect, effVendorSpecific, 7, wide, &marker, 1.5f);
    ProbeDispatchCall call{};
    ASSERT_TRUE(api->lastDispatch(effVendorSpecific, &call));
    EXPECT_EQ(call.effect, effect);
    EXPECT_EQ(call.index, 7);
    EXPECT_EQ(call.value, wide);
    EXPECT_EQ(call.ptr, &marker);
    EXPECT_EQ(call.opt, 1.5f);
    EXPECT_LT(call.sequenceIn, call.sequenceOut);
    EXPECT_EQ(api->dispatchCount(effVendorSpecific), 1);

    float left[4] = {1, 2, 3, 4}, right[4] = {5, 6, 7, 8}, outLeft[4] = {}, outRight[4] = {};
    float* inputs[] = {left, right};
    float* outputs[] = {outLeft, outRight};
    effect->processReplacing(&stranger, inputs, outputs, 4);
    EXPECT_EQ(api->foreignEffectCount(kProbeProcessReplacing), 1);
    EXPECT_EQ(api->lastEffect(kProbeProcessReplacing), &stranger);
    ProbeProcessCall processed{};
    ASSERT_TRUE(api->lastProcess(kProbeProcessReplacing, &processed));
    EXPECT_EQ(processed.inputs, inputs);
    EXPECT_EQ(processed.outputs, outputs);
    EXPECT_EQ(processed.sampleFrames, 4);
    EXPECT_EQ(outRight[3], 4.0f); // 8 times the default gain 0.5

    effect->process(effect, inputs, outputs, 4); // adds
    EXPECT_EQ(outRight[3], 8.0f);
    EXPECT_EQ(api->foreignEffectCount(kProbeProcess), 0);

    effect->setParameter(effect, 2, 0.375f);
    ProbeParameterCall set{};
    ASSERT_TRUE(api->lastParameter(kProbeSetParameter, &set));
    EXPECT_EQ(set.index, 2);
    EXPECT_EQ(set.value, 0.375f);
    EXPECT_EQ(effect->getParameter(effect, 2), 0.375f);
}

TEST_F(ProbeInProcess, ChangesItsRecordAtOpenOrWhenTold)
{
    ProbeShape shape{};
    api->getDefaultShape(&shape);
    ProbeShape afterOpen = shape;
    afterOpen.numPrograms = 7;
    afterOpen.flags = effFlagsHasEditor;
    api->setShapeAfterOpen(&afterOpen);
    AEffect* effect = entry(testAudioMaster);
    EXPECT_EQ(effect->numPrograms, 2);
    EXPECT_EQ(effect->flags, effFlagsHasEditor | effFlagsCanReplacing | effFlagsProgramChunks);
    dispatch(effect, effOpen);
    EXPECT_EQ(effect->numPrograms, 7);
    EXPECT_EQ(effect->flags, effFlagsHasEditor);

    afterOpen.initialDelay = 64;
    api->setShape(&afterOpen);
    EXPECT_EQ(effect->initialDelay, 64);
}

TEST_F(ProbeInProcess, HandsOutTheConfiguredEditorRectangle)
{
    AEffect* effect = entry(testAudioMaster);
    api->setRect(10, 20, 110, 220);
    ERect* rect = nullptr;
    EXPECT_EQ(dispatch(effect, effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top, 10);
    EXPECT_EQ(rect->left, 20);
    EXPECT_EQ(rect->bottom, 110);
    EXPECT_EQ(rect->right, 220);

    api->setNullRect(1);
    EXPECT_EQ(dispatch(effect, effEditGetRect, 0, 0, &rect), 0);
    EXPECT_EQ(rect, nullptr);
    EXPECT_EQ(dispatch(effect, effEditGetRect, 0, 0, nullptr), 0);
}

TEST_F(ProbeInProcess, RoundTripsItsChunk)
{
    AEffect* effect = entry(testAudioMaster);
    void* data = nullptr;
    const VstIntPtr size = dispatch(effect, effGetChunk, 0, 0, &data);
    ASSERT_EQ(size, 8 + 3 * 4);
    std::vector<unsigned char> chunk(static_cast<unsigned char*>(data),
                                     static_cast<unsigned char*>(data) + size);
    const float newGain = 0.125f;
    std::memcpy(chunk.data() + 8, &newGain, sizeof(newGain));
    EXPECT_EQ(dispatch(effect, effSetChunk, 0, size, chunk.data()), 1);
    EXPECT_EQ(effect->getParameter(effect, 0), 0.125f);
    std::vector<unsigned char> received(chunk.size());
    EXPECT_EQ(api->chunkReceived(received.data(), static_cast<int32_t>(received.size())), size);
    EXPECT_EQ(received, chunk);
}

TEST_F(ProbeInProcess, CallsTheHostFromInsideItsFunctionsWhenAsked)
{
    ProbeMasterCall inMains{effMainsChanged, audioMasterAutomate, 3, 0, 0.5f, 0, nullptr, 0};
    ProbeMasterCall inProcess{kProbeInProcess, audioMasterGetTime, 0, 0, 0.0f, 0, nullptr, 0};
    ProbeMasterCall inSet{kProbeInSetParameter, audioMasterBeginEdit, 0, 0, 0.0f, 0, nullptr, 0};
    api->addMasterCall(&inMains);
    api->addMasterCall(&inProcess);
    api->addMasterCall(&inSet);
    AEffect* effect = entry(testAudioMaster);
    EXPECT_EQ(api->masterAnswerCount(), 0);
    dispatch(effect, effMainsChanged, 0, 1);
    float buffer[1] = {0};
    float* channels[] = {buffer, buffer};
    effect->processReplacing(effect, channels, channels, 1);
    effect->setParameter(effect, 0, 0.5f);
    ASSERT_EQ(api->masterAnswerCount(), 3);
    ProbeMasterAnswer answer{};
    const int32_t expected[][2] = {{effMainsChanged, audioMasterAutomate},
                                   {kProbeInProcess, audioMasterGetTime},
                                   {kProbeInSetParameter, audioMasterBeginEdit}};
    for (int i = 0; i < 3; ++i)
    {
        ASSERT_TRUE(api->masterAnswer(i, &answer));
        EXPECT_EQ(answer.when, expected[i][0]);
        EXPECT_EQ(answer.opcode, expected[i][1]);
    }
}

TEST_F(ProbeInProcess, CountsConcurrentCallsExactly)
{
    AEffect* effect = entry(testAudioMaster);
    constexpr int kThreads = 4;
    constexpr int kCalls = 5000;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back(
            [&]()
            {
                for (int i = 0; i < kCalls; ++i)
                {
                    dispatch(effect, effGetVendorVersion);
                    effect->getParameter(effect, i % 3);
                }
            });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(api->dispatchCount(effGetVendorVersion), kThreads * kCalls);
    EXPECT_EQ(api->functionCount(kProbeDispatcher), kThreads * kCalls);
    EXPECT_EQ(api->functionCount(kProbeGetParameter), kThreads * kCalls);
    EXPECT_EQ(api->foreignEffectCount(kProbeDispatcher), 0);
}

TEST_F(ProbeInProcess, PlacesCloseInTheEventSequenceAndCountsLaterCalls)
{
    AEffect* effect = entry(testAudioMaster);
    dispatch(effect, effOpen);
    EXPECT_TRUE(api->isOpen());
    const uint64_t before = api->sequenceMark();
    api->setResult(effClose, 42);
    EXPECT_EQ(dispatch(effect, effClose), 42);
    const uint64_t after = api->sequenceMark();
    EXPECT_TRUE(api->isClosed());
    EXPECT_FALSE(api->isOpen());
    EXPECT_LT(before, api->closeSequence());
    EXPECT_LT(api->closeSequence(), after);
    EXPECT_EQ(api->callsAfterClose(), 0);
    effect->getParameter(effect, 0);
    dispatch(effect, effGetVendorVersion);
    EXPECT_EQ(api->callsAfterClose(), 2);

    // A new entry call is a new instance: open for business again.
    entry(testAudioMaster);
    EXPECT_FALSE(api->isClosed());
    effect->getParameter(effect, 0);
    EXPECT_EQ(api->callsAfterClose(), 2);
}

TEST_F(ProbeInProcess, TellsTheHookAboutEntryOpenCloseAndUnload)
{
    static std::vector<std::pair<std::string, uint64_t>> events;
    events.clear();
    api->setEventHook(
        [](const char* event, uint64_t sequence, void* user)
        {
            EXPECT_EQ(user, &events);
            events.emplace_back(event, sequence);
        },
        &events);
    AEffect* effect = entry(testAudioMaster);
    dispatch(effect, effOpen);
    dispatch(effect, effClose);
    ASSERT_EQ(dlclose(handle), 0);
    handle = nullptr;
    ASSERT_EQ(events.size(), 4u);
    const char* expected[] = {"entry", "open", "close", "unload"};
    for (size_t i = 0; i < 4; ++i)
    {
        EXPECT_EQ(events[i].first, expected[i]);
        if (i > 0)
        {
            EXPECT_LT(events[i - 1].second, events[i].second);
        }
    }
    // Close is announced after the probe handled it, and unloading follows it directly.
    EXPECT_EQ(events[3].second, events[2].second + 1);
}
