// Hosting the probe through Oplexa.so: what the host and the hosted plug-in each receive.
#include "tests/support/OplexaUnderTest.h"
#include "vst/OpCodeTable.h"

#include <cstring>

using Hosting = ProbeHosted;

TEST_F(Hosting, CallbackInsideTheEntryPointReachesTheHostWithTheProxyRecord)
{
    probe.callHostAt(kProbeAtEntry, audioMasterVersion);
    AEffect* proxy = oplexa.startOrThrow();

    const auto calls = TestHost::calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls[0].opcode, audioMasterVersion);
    EXPECT_EQ(calls[0].effect, proxy);
    // The host's answer went back to the hosted plug-in unchanged.
    ProbeMasterAnswer answer{};
    ASSERT_EQ(probe->masterAnswer(0, &answer), 1);
    EXPECT_EQ(answer.result, 2400);
    const auto messages = oplexa.messages();
    EXPECT_TRUE(contains(messages, "audioMasterVersion "));
    EXPECT_TRUE(contains(messages, "audioMasterVersion returned version=2400 "));
}

TEST_F(Hosting, EveryForwarderHandsTheHostedPluginItsOwnRecord)
{
    AEffect* proxy = oplexa.startOrThrow();
    AEffect* hosted = probe->getRecord();
    // A plug-in without a double-precision function: the host sees none either.
    EXPECT_EQ(proxy->processDoubleReplacing, nullptr);

    proxy->dispatcher(proxy, effOpen, 0, 0, nullptr, 0.0f);
    proxy->setParameter(proxy, 0, 0.25f);
    float in[2][8] = {}, out[2][8] = {};
    float* inputs[] = {in[0], in[1]};
    float* outputs[] = {out[0], out[1]};
    proxy->processReplacing(proxy, inputs, outputs, 8);
    proxy->process(proxy, inputs, outputs, 8);
    const float value = proxy->getParameter(proxy, 0);

    for (int function : {kProbeDispatcher, kProbeProcess, kProbeProcessReplacing,
                         kProbeSetParameter, kProbeGetParameter})
    {
        EXPECT_EQ(probe->lastEffect(function), hosted) << "function " << function;
        EXPECT_EQ(probe->foreignEffectCount(function), 0) << "function " << function;
    }
    // Arguments and results pass unchanged.
    ProbeProcessCall processCall{};
    ASSERT_EQ(probe->lastProcess(kProbeProcessReplacing, &processCall), 1);
    EXPECT_EQ(processCall.inputs, inputs);
    EXPECT_EQ(processCall.outputs, outputs);
    EXPECT_EQ(processCall.sampleFrames, 8);
    ProbeParameterCall get{};
    ASSERT_EQ(probe->lastParameter(kProbeGetParameter, &get), 1);
    EXPECT_EQ(value, get.value);
    EXPECT_EQ(value, 0.25f);
    EXPECT_TRUE(contains(oplexa.messages(), "getParameter returned 0.250000"));
}

TEST_F(Hosting, ProcessDoubleReplacingGetsTheHostedRecordAndIsLoggedAndByteIdentical)
{
    ProbeShape shape{};
    probe->getDefaultShape(&shape);
    shape.flags |= effFlagsCanDoubleReplacing;
    probe->setShape(&shape);
    AEffect* proxy = oplexa.startOrThrow();
    AEffect* hosted = probe->getRecord();
    ASSERT_NE(proxy->processDoubleReplacing, nullptr);
    proxy->setParameter(proxy, 0, 0.3f);

    double in[2][3] = {{1.0, -0.1, 1e-300}, {0.7, 3.0, -2.5}}, via[2][3] = {}, direct[2][3] = {};
    double* inputs[] = {in[0], in[1]};
    double* outputs[] = {via[0], via[1]};
    double* directOutputs[] = {direct[0], direct[1]};
    proxy->processDoubleReplacing(proxy, inputs, outputs, 3);
    hosted->processDoubleReplacing(hosted, inputs, directOutputs, 3);

    EXPECT_EQ(std::memcmp(via, direct, sizeof via), 0);
    EXPECT_EQ(via[1][1], 3.0 * static_cast<double>(0.3f));
    EXPECT_EQ(probe->lastEffect(kProbeProcessDoubleReplacing), hosted);
    EXPECT_EQ(probe->foreignEffectCount(kProbeProcessDoubleReplacing), 0);
    EXPECT_EQ(oplexa.messages().back(),
              formatted("processDoubleReplacing(inputs:%p, outputs:%p, sampleFrames:3)",
                        static_cast<void*>(inputs), static_cast<void*>(outputs)));
}

TEST_F(Hosting, DispatcherArgumentsAndResultPassUnchanged)
{
    probe->setResult(effVendorSpecific, static_cast<VstIntPtr>(0x123456789abLL));
    AEffect* proxy = oplexa.startOrThrow();
    int cookie = 0;
    const VstIntPtr value = static_cast<VstIntPtr>(0x7fffffff12LL);
    EXPECT_EQ(proxy->dispatcher(proxy, effVendorSpecific, -7, value, &cookie, 1.5f),
              0x123456789abLL);
    ProbeDispatchCall call{};
    ASSERT_EQ(probe->lastDispatch(effVendorSpecific, &call), 1);
    EXPECT_EQ(call.index, -7);
    EXPECT_EQ(call.value, value);
    EXPECT_EQ(call.ptr, &cookie);
    EXPECT_EQ(call.opt, 1.5f);
    // Integers are logged at full width.
    EXPECT_TRUE(
        contains(oplexa.messages(),
                 formatted("effVendorSpecific lArg1=-7 lArg2=%ld prtArg=%p floatArg=1.500000 ",
                           static_cast<long>(value), static_cast<void*>(&cookie))));
    EXPECT_TRUE(contains(oplexa.messages(), "effVendorSpecific returned long=1250999896491 "));
}

TEST_F(Hosting, CloseRunsTheHostedCloseThenShutsDownAndReturnsTheHostedResult)
{
    probe->setResult(effClose, 42);
    probe.callHostAt(effClose, audioMasterIdle);
    AEffect* proxy = oplexa.startOrThrow();
    std::remove(oplexa.settingsFile().c_str());

    EXPECT_EQ(proxy->dispatcher(proxy, effClose, 0, 0, nullptr, 0.0f), 42);

    EXPECT_TRUE(probe->isClosed());
    const auto messages = oplexa.messages();
    const size_t close = indexOf(messages, "effClose ");
    const size_t hostedCallback = indexOf(messages, "audioMasterIdle ");
    const size_t unloaded = indexOf(messages, "Unloaded " + probe.path());
    ASSERT_LT(unloaded, messages.size());
    EXPECT_LT(close, hostedCallback);
    EXPECT_LT(hostedCallback, unloaded);
    EXPECT_EQ(unloaded, messages.size() - 1);
    EXPECT_NE(readFile(oplexa.settingsFile()).find("<Logger>"), std::string::npos);
    // After Close nothing is hosted: calls outside the contract return 0 and reach no one.
    const int64_t calls = probe->callsAfterClose();
    EXPECT_EQ(proxy->dispatcher(proxy, effGetVendorVersion, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(proxy->getParameter(proxy, 0), 0.0f);
    proxy->setParameter(proxy, 0, 1.0f);
    proxy->processReplacing(proxy, nullptr, nullptr, 0);
    EXPECT_EQ(probe->callsAfterClose(), calls);
}

// The next instance gets a record of its own: the closed one stays cleared for late callers.
TEST_F(Hosting, HostsAgainAfterCloseWithAProxyRecordOfItsOwn)
{
    AEffect* first = oplexa.startOrThrow();
    const int32_t firstParams = first->numParams;
    first->dispatcher(first, effClose, 0, 0, nullptr, 0.0f);

    probe->reset();
    ProbeShape shape{};
    probe->getDefaultShape(&shape);
    shape.numParams = firstParams + 3;
    shape.uniqueID = 0x4f784232;
    probe->setShape(&shape);
    AEffect* second = oplexa.start();
    ASSERT_NE(second, first);
    EXPECT_EQ(first->numParams, 0);
    EXPECT_EQ(second->numParams, firstParams + 3);
    EXPECT_EQ(second->uniqueID, 0x4f784232);
    EXPECT_EQ(countOf(oplexa.messages(), "Oplexa - " + oplexa.modulePath()), 2);
}

// The host reads the plug-in's record as it is now (after each call, also one that changed it
// while processing), and gets the record the plug-in meant: null for null, the proxy for the
// plug-in's own record, in a first and in a second session.
TEST_F(Hosting, TheHostSeesTheLiveRecordAndTheRecordThePluginMeant)
{
    for (int session = 1; session <= 2; ++session)
    {
        probe->reset();
        for (const int32_t nullEffect : {1, 0})
        {
            const ProbeMasterCall call{kProbeAtEntry, audioMasterVersion, 0, 0, 0.0f, 0,
                                       nullptr,       nullEffect};
            probe->addMasterCall(&call);
        }
        probe.callHostAt(kProbeInSetParameter, audioMasterIOChanged);
        const size_t before = TestHost::calls().size();
        AEffect* proxy = oplexa.startOrThrow();
        const auto calls = TestHost::calls();
        ASSERT_EQ(calls.size(), before + 2);
        EXPECT_EQ(calls[before].effect, nullptr) << "session " << session;
        EXPECT_EQ(calls[before + 1].effect, proxy) << "session " << session;
        // Nothing of the last host's own fields is handed out again.
        EXPECT_EQ(proxy->user, nullptr) << "session " << session;
        EXPECT_EQ(proxy->resvd1, 0) << "session " << session;
        proxy->user = proxy;
        proxy->resvd1 = 7;

        ProbeShape shape{};
        probe->getDefaultShape(&shape);
        shape.numPrograms = 5 * session;
        shape.initialDelay = 960;
        shape.flags |= effFlagsCanDoubleReplacing;
        probe->setShape(&shape);
        // A host handling IOChanged reads the new values, before the call returns.
        proxy->setParameter(proxy, 0, 0.5f);
        EXPECT_EQ(TestHost::calls().back().opcode, audioMasterIOChanged);
        EXPECT_EQ(TestHost::calls().back().initialDelay, 960) << "session " << session;
        shape.numPrograms = 7;
        probe->setShape(&shape);
        proxy->dispatcher(proxy, effGetVendorVersion, 0, 0, nullptr, 0.0f);
        EXPECT_EQ(proxy->numPrograms, 7) << "session " << session;
        EXPECT_NE(proxy->processDoubleReplacing, nullptr) << "session " << session;
        // Changed while processing without IOChanged, as ZaMaximX2 does: read after the call.
        float buffer[2][16] = {};
        float* channels[] = {buffer[0], buffer[1]};
        probe->setProcessDelay(480 + session);
        proxy->processReplacing(proxy, channels, channels, 16);
        EXPECT_EQ(proxy->initialDelay, 480 + session) << "session " << session;
        EXPECT_EQ(proxy->user, proxy) << "the host's own fields stay the host's";
        proxy->dispatcher(proxy, effClose, 0, 0, nullptr, 0.0f);
        EXPECT_EQ(proxy->numPrograms, 0) << "cleared at Close";
    }
}

// Opcodes at and past the edge of each group pass unchanged and are counted nowhere; under the
// sanitizers a range check off by one reads past the counters.
TEST_F(Hosting, OpcodesAtTheEdgesOfEachGroupPassUncounted)
{
    const int32_t edges[] = {kNumAudioMasterOpCodes, kNumAudioMasterOpCodes + 1, -1};
    for (const int32_t opcode : edges)
        probe.callHostAt(effGetVendorVersion, opcode);
    AEffect* proxy = oplexa.startOrThrow();
    for (const int32_t opcode : {kNumDispatcherOpCodes, kNumDispatcherOpCodes + 1, -1})
    {
        probe->setResult(opcode < 0 ? -1 : opcode, opcode * 3);
        EXPECT_EQ(proxy->dispatcher(proxy, opcode, 0, opcode, nullptr, 0.0f),
                  opcode >= 0 ? opcode * 3 : 0)
            << opcode;
    }
    proxy->dispatcher(proxy, effGetVendorVersion, 0, 0, nullptr, 0.0f);
    const auto calls = TestHost::calls();
    ASSERT_GE(calls.size(), 3u);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(calls[calls.size() - 3 + i].opcode, edges[i]);
    proxy->dispatcher(proxy, effClose, 0, 0, nullptr, 0.0f);
}
