#include "tools/host/PluginSession.h"

#include "tools/host/AudioMaster.h"
#include "tools/host/ConcurrentCalls.h"
#include "tools/host/HostLog.h"
#include "tools/host/HostOpcodes.h"
#include "tools/host/PluginCaller.h"
#include "tools/host/PluginInspection.h"
#include "tools/host/RecordFields.h"
#include "tools/host/RuleBreaks.h"

#include <chrono>
#include <cstdlib>
#include <optional>
#include <thread>

namespace host
{
namespace
{
bool usableChannels(const AEffect& record)
{
    if (record.numInputs < 0 || record.numInputs > kMaxChannels || record.numOutputs < 0 ||
        record.numOutputs > kMaxChannels)
    {
        hostLog().problem("warning: the record has %d inputs and %d outputs; no audio processed",
                          record.numInputs, record.numOutputs);
        return false;
    }
    return true;
}

// Close, with the races the options ask for around it.
void closeSession(PluginCaller& plugin, VstPluginMainProc entry, const HostOptions& options)
{
    std::optional<BackgroundAudio> audio;
    if (options.closeDuringProcess)
    {
        audio.emplace(&plugin.record());
        audio->waitUntilInside();
        // Well into the call, past its first steps.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::optional<DelayedEntryCall> second;
    if (options.entryDuringCloseMs >= 0)
        second.emplace(entry, options.entryDuringCloseMs);
    plugin.close();
    if (audio)
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
}
} // namespace

AEffect* callEntry(VstPluginMainProc entry, const char* entryName, const HostOptions& options,
                   HostExitCode& failure)
{
    hostState().effect.store(nullptr);
    advanceTime(0.0);
    hostLog().line("calling entry point %s", entryName);
    std::optional<DelayedEntryCall> second;
    if (options.entryDuringEntryMs >= 0)
        second.emplace(entry, options.entryDuringEntryMs);
    AEffect* effect = nullptr;
    try
    {
        effect = entry(hostAudioMaster);
    }
    catch (...)
    {
        hostLog().problem("error: the entry point %s threw an exception", entryName);
    }
    hostLog().line("entry point %s returned %p", entryName, static_cast<void*>(effect));
    if (effect == nullptr)
    {
        hostLog().problem("error: the entry point %s returned no record", entryName);
        failure = kExitNullRecord;
        return nullptr;
    }
    // A record with another magic is not a VST 2 record: nothing on it may be called.
    if (effect->magic != kEffectMagic)
    {
        hostLog().problem("error: the record has the wrong magic 0x%08x",
                          static_cast<uint32_t>(effect->magic));
        failure = kExitBadRecord;
        return nullptr;
    }
    if (effect->dispatcher == nullptr)
    {
        hostLog().problem("error: the record has no dispatcher");
        failure = kExitBadRecord;
        return nullptr;
    }
    return effect;
}

HostExitCode runSession(VstPluginMainProc entry, const char* entryName, const HostOptions& options,
                        FILE* audio, SessionReport& report)
{
    HostExitCode failure = kExitOk;
    AEffect* effect = callEntry(entry, entryName, options, failure);
    if (effect == nullptr)
        return failure;
    hostState().effect.store(effect);
    if (options.entryTwice)
        hostLog().line("entry point %s called again returned %p", entryName,
                       static_cast<void*>(entry(hostAudioMaster)));
    PluginCaller plugin(effect);
    reportRecord(report, *effect, "at entry");
    recordFields().write(*effect, "after entry");

    plugin.dispatch(effOpen);
    recordFields().write(*effect, "after open");
    plugin.dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(options.sampleRate));
    plugin.dispatch(effSetBlockSize, 0, options.blockSize);
    reportRecord(report, *effect, "after open");
    reportNames(plugin, report);

    const int programs = usableCount(effect->numPrograms, kMaxWalkedPrograms, "numPrograms");
    reportPrograms(plugin, report, programs);
    const int params = usableCount(effect->numParams, kMaxWalkedParams, "numParams");
    reportParameters(plugin, report, params);
    if (options.setParams)
        exerciseParameters(plugin, report, params);
    if ((effect->flags & effFlagsProgramChunks) != 0)
        exerciseChunk(plugin, report);
    breakRule(options.breakRule, SessionPoint::beforeResume, plugin);

    HostExitCode result = kExitOk;
    plugin.dispatch(effMainsChanged, 0, 1);
    recordFields().write(*effect, "after mains on");
    plugin.dispatch(effStartProcess);
    if (usableChannels(*effect))
    {
        // Counts are read once: a plug-in that changes them later keeps the buffers it got.
        const int inputs = effect->numInputs;
        const int outputs = effect->numOutputs;
        breakRule(options.breakRule, SessionPoint::resumed, plugin);
        if (!processBlocks(plugin, options, inputs, outputs, audio, report))
        {
            hostLog().problem("error: could not write the audio files");
            result = kExitOutputFailed;
        }
        recordFields().write(*effect, "after processing");
        if (!options.recordFieldsPath.empty())
            sweepParameters(plugin, options, inputs, outputs, params);
    }
    if (!options.recordFieldsPath.empty())
        recordFields().write(*effect, "after the sweep");
    if (options.exitDuringProcess)
    {
        BackgroundAudio lateAudio(effect);
        lateAudio.waitUntilInside();
        hostLog().line("exit(0) while another thread is inside processReplacing");
        std::exit(kExitOk);
    }
    if (options.forkChildExit && result == kExitOk)
        result = runForkedChildExit();
    plugin.dispatch(effStopProcess);
    plugin.dispatch(effMainsChanged, 0, 0);
    reportRecord(report, *effect, "before close");
    if (options.close)
    {
        closeSession(plugin, entry, options);
        breakRule(options.breakRule, SessionPoint::afterClose, plugin);
    }
    return result;
}
} // namespace host
