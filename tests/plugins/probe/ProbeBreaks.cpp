// OPLEXA_PROBE_BREAK=RULE-ID: the probe breaks one plug-in-side rule of the VST 2 protocol, and
// otherwise behaves, so that the rule checker has a plug-in at fault to find.
#include "tests/plugins/probe/ProbeState.h"

#include <atomic>
#include <limits>
#include <thread>

namespace probe
{
namespace
{
const struct
{
    const char* id;
    ProbeBreak rule;
} kBreaks[] = {
    {"text-too-long", ProbeBreak::textTooLong},
    {"parameter-out-of-range", ProbeBreak::parameterOutOfRange},
    {"output-not-finite", ProbeBreak::outputNotFinite},
    {"output-denormal", ProbeBreak::outputDenormal},
    {"latency-change-unannounced", ProbeBreak::latencyChangeUnannounced},
    {"blocking-callback-in-process", ProbeBreak::blockingCallbackInProcess},
    {"display-update-in-process", ProbeBreak::displayUpdateInProcess},
    {"callback-after-close", ProbeBreak::callbackAfterClose},
    {"chunk-inconsistent", ProbeBreak::chunkInconsistent},
    {"replacing-not-flagged", ProbeBreak::replacingNotFlagged},
};

// The process breaks happen once per Open, in its first process call.
std::atomic<bool> brokenInProcess{false};

// Never destroyed while it runs: the unloading joins it.
std::thread* lateCaller = nullptr;
std::atomic<bool> lateCallDue{false};

ProbeBreak breaks()
{
    return state().misbehaviour.breaks;
}

void callBack(int32_t opcode)
{
    ProbeState& s = state();
    if (const audioMasterCallback master = s.audioMaster.load())
        master(&s.record, opcode, 0, 0, nullptr, 0.0f);
}

// A thread of the probe's own that calls back once Close has returned: it waits for the
// module's unloading, which comes only after.
void startLateCallback()
{
    ProbeState& s = state();
    const audioMasterCallback master = s.audioMaster.load();
    if (master == nullptr || lateCaller != nullptr)
        return;
    lateCallDue.store(false);
    AEffect* record = &s.record;
    lateCaller = new std::thread(
        [master, record]
        {
            while (!lateCallDue.load())
                std::this_thread::yield();
            master(record, audioMasterAutomate, 0, 0, nullptr, 0.5f);
        });
}
} // namespace

bool readBreak(ProbeState& s, const std::string& id)
{
    for (const auto& row : kBreaks)
        if (id == row.id)
        {
            Misbehaviour& m = s.misbehaviour;
            m.breaks = row.rule;
            if (row.rule == ProbeBreak::textTooLong)
                s.texts[static_cast<size_t>(effGetEffectName)] =
                    "Oplexa Probe, with a name past its 32 bytes";
            if (row.rule == ProbeBreak::latencyChangeUnannounced)
                m.processDelay = s.shape.initialDelay + 64;
            if (row.rule == ProbeBreak::replacingNotFlagged)
                s.shape.flags &= ~effFlagsCanReplacing;
            return true;
        }
    return false;
}

void breakInProcess(float** outputs, int32_t frames)
{
    const ProbeBreak rule = breaks();
    if (rule == ProbeBreak::none || brokenInProcess.exchange(true))
        return;
    const bool sample = state().record.numOutputs > 0 && frames > 0;
    if (rule == ProbeBreak::outputNotFinite && sample)
        outputs[0][0] = std::numeric_limits<float>::quiet_NaN();
    if (rule == ProbeBreak::outputDenormal && sample)
        outputs[0][0] = std::numeric_limits<float>::denorm_min();
    if (rule == ProbeBreak::blockingCallbackInProcess)
        callBack(audioMasterIOChanged);
    if (rule == ProbeBreak::displayUpdateInProcess)
        callBack(audioMasterUpdateDisplay);
}

float breakInGetParameter(int32_t index, float value)
{
    const bool last = index == state().record.numParams - 1;
    return breaks() == ProbeBreak::parameterOutOfRange && last ? value + 1.0f : value;
}

bool breakInGetChunk()
{
    return breaks() == ProbeBreak::chunkInconsistent;
}

void breakInDispatcher(int32_t opcode)
{
    if (opcode == effOpen)
        brokenInProcess.store(false);
    if (opcode == effClose && breaks() == ProbeBreak::callbackAfterClose)
        startLateCallback();
}

void endLateCallback()
{
    if (lateCaller == nullptr)
        return;
    lateCallDue.store(true);
    lateCaller->join();
    delete lateCaller;
    lateCaller = nullptr;
}
} // namespace probe
