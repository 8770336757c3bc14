// Replays a recording: loads the plug-in, makes the recorded host calls in recorded order, each
// on a replay thread standing for the recorded thread that made it, and stops at the first
// call whose outcome differs. The first problem met decides the exit code.
#include "tools/host/Replay.h"

#include "record/RecordFormat.h"
#include "record/RecordReader.h"
#include "tools/host/AudioMaster.h"
#include "tools/host/HostLog.h"
#include "tools/host/PluginModule.h"
#include "tools/host/ReplayAnswers.h"
#include "tools/host/ReplayCalls.h"
#include "tools/host/ReplayCrash.h"

#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <thread>

namespace host
{
namespace
{
// Takes turns: the recorded thread of the call at the cursor makes it, the others wait. Only the
// thread whose turn comes is woken: waking them all made each call cost every thread a switch.
class TurnTaking
{
public:
    TurnTaking(ReplayScript& replayed, ReplayCaller& calling) : script(replayed), caller(calling)
    {
        turns[script.surveyed.entryThread];
        for (const uint32_t thread : script.surveyed.hostThreads)
            turns[thread];
    }

    void run(uint32_t recordedThread)
    {
        const ReplayCrashStack crashStack;
        ReplayThread self;
        self.recorded = recordedThread;
        setReplayThread(&self);
        std::condition_variable& mine = turns.at(recordedThread);
        std::unique_lock<std::mutex> lock(mutex);
        for (;;)
        {
            mine.wait(lock,
                      [&] {
                          return stopped || script.done(cursor) ||
                                 script.at(cursor).call->thread == recordedThread;
                      });
            if (stopped || script.done(cursor))
                break;
            HostCall& call = script.at(cursor);
            lock.unlock();
            self.current = &call;
            self.cursor = 0;
            setCrashingCall(call.ordinal, call.call.get());
            const std::string difference = caller.make(call);
            setCrashingCall(0, nullptr);
            self.current = nullptr;
            lock.lock();
            if (!difference.empty())
            {
                stopped = true;
                firstDivergence = "call " + std::to_string(call.ordinal) + " (" +
                                  callName(call.call->function, call.call->opcode) +
                                  ", recorded thread " + std::to_string(recordedThread) +
                                  "): " + difference;
            }
            else
                readOn(++cursor);
            if (stopped || script.done(cursor))
                for (auto& [thread, turn] : turns)
                    turn.notify_one();
            else if (script.at(cursor).call->thread != recordedThread)
                turns.at(script.at(cursor).call->thread).notify_one();
        }
        setReplayThread(nullptr);
    }

    const std::string& divergence() const { return firstDivergence; }
    bool windowFull() const { return beyondWindow; }
    size_t made() const { return cursor; }

private:
    ReplayScript& script;
    ReplayCaller& caller;
    std::mutex mutex;
    std::map<uint32_t, std::condition_variable> turns;
    size_t cursor = 0;
    bool stopped = false;
    bool beyondWindow = false;
    std::string firstDivergence;

    // The calls made are let go; the next one is read up to its return.
    void readOn(size_t next)
    {
        const std::lock_guard<std::mutex> guard(scriptLock());
        script.release(next);
        beyondWindow = !script.readTo(next);
        stopped = beyondWindow;
    }
};

HostExitCode unreadable(const std::string& file, const std::string& problem)
{
    hostLog().problem("replay: %s is unreadable: %s", file.c_str(), problem.c_str());
    return kExitUnreadable;
}

AEffect* openPlugin(PluginModule& module, const std::string& path)
{
    if (!module.load(path))
    {
        hostLog().problem("replay: cannot load %s: %s", path.c_str(), module.error().c_str());
        return nullptr;
    }
    const VstPluginMainProc entry = module.findEntryPoint();
    AEffect* effect = entry != nullptr ? entry(replayAudioMaster) : nullptr;
    if (effect == nullptr || effect->magic != kEffectMagic || effect->dispatcher == nullptr)
    {
        hostLog().problem("replay: %s gives no usable VST 2 record", path.c_str());
        return nullptr;
    }
    return effect;
}

void reportLeftOut(const ReplayScript& script)
{
    if (!script.skippedEditorCalls.empty())
    {
        std::string list;
        for (const std::string& call : script.skippedEditorCalls)
            list += (list.empty() ? "" : ", ") + call;
        hostLog().problem("replay: editor calls skipped: %s", list.c_str());
    }
    const std::string unrecorded = unrecordedCallbacks();
    if (!unrecorded.empty())
        hostLog().problem("replay: audioMaster calls not in the recording, answered by "
                          "oplexa-host: %s",
                          unrecorded.c_str());
}

// Said when a call's return is further on in the file than the window reaches.
HostExitCode beyondWindow(ReplayScript& script, size_t made)
{
    const std::string call =
        script.done(made) ? "the next call" : "call " + std::to_string(script.at(made).ordinal);
    hostLog().problem("replay: %s returns more than %zu MB of records later, further than "
                      "oplexa-host reads ahead; the %zu host calls before it replayed identically",
                      call.c_str(), kWindowBytes >> 20, made);
    return kExitUnreadable;
}
} // namespace

HostExitCode replayRecording(const HostOptions& options, FILE* audio)
{
    recordFormat::RecordStream recording;
    ReplayScript::Survey found;
    if (!recording.open(options.replayPath))
        return unreadable(options.replayPath, recording.problem);
    ReplayScript::survey(recording, found);
    if (recording.stopRecord == 0 && recording.ending != recordFormat::Ending::complete)
        return unreadable(options.replayPath, recording.problem.empty()
                                                  ? "its header is damaged"
                                                  : "the header: " + recording.problem);
    if (found.hasGap)
        return unreadable(options.replayPath,
                          "calls were dropped while recording (the recording has gaps), so it "
                          "cannot be replayed");
    if (found.hostThreads.size() > recordFormat::kMaxThreads)
        return unreadable(options.replayPath,
                          std::to_string(found.hostThreads.size()) +
                              " recorded threads make host calls, " + "more than the " +
                              std::to_string(recordFormat::kMaxThreads) + " oplexa-host replays");
    ReplayScript script(found);
    if (!script.open(options.replayPath))
        return unreadable(options.replayPath, "it cannot be opened a second time");
    if (!script.readTo(0))
        return beyondWindow(script, 0);
    setReplayScript(&script);
    hostState().sampleRate = options.sampleRate;
    hostState().blockSize = options.blockSize;
    const std::string plugin =
        options.modulePath.empty() ? recording.header.pluginPath : options.modulePath;
    hostLog().line("replaying %s (%zu records) with %s", options.replayPath.c_str(), found.records,
                   plugin.c_str());

    catchReplayCrashes(hostLog().descriptor());
    PluginModule module;
    ReplayThread entryThread;
    entryThread.recorded = found.entryThread;
    setReplayThread(&entryThread);
    AEffect* effect = openPlugin(module, plugin);
    setReplayThread(nullptr);
    {
        const std::lock_guard<std::mutex> guard(scriptLock());
        script.loaded();
    }
    if (effect == nullptr)
        return kExitLoadFailed;
    hostState().effect = effect;

    ReplayCaller caller(effect, audio, recording.header.fullOutputs);
    TurnTaking turns(script, caller);
    std::set<uint32_t> threads = found.hostThreads;
    threads.erase(found.entryThread);
    std::vector<std::thread> others;
    for (const uint32_t thread : threads)
        others.emplace_back([&turns, thread] { turns.run(thread); });
    turns.run(found.entryThread);
    for (std::thread& thread : others)
        thread.join();
    reportLeftOut(script);
    for (const auto& [channel, blocks] : caller.unwrittenChannels())
        hostLog().problem(
            "replay: channel %d not written by the plug-in in %d blocks: not compared", channel,
            blocks);
    if (!caller.closed())
        module.release();
    if (!caller.audioWritten())
        return kExitOutputFailed;

    if (!turns.divergence().empty())
    {
        hostLog().problem("replay: diverged at %s", turns.divergence().c_str());
        return kExitDiverged;
    }
    if (turns.windowFull())
        return beyondWindow(script, turns.made());
    if (recording.ending == recordFormat::Ending::damaged)
    {
        hostLog().problem("replay: record %zu is unreadable (%s); the %zu host calls before it "
                          "replayed identically",
                          recording.stopRecord, recording.problem.c_str(), turns.made());
        return kExitUnreadable;
    }
    if (recording.ending == recordFormat::Ending::truncated)
    {
        // The reader's reason may say so already.
        const bool said = recording.problem.find("end marker") != std::string::npos;
        hostLog().problem("replay: the recording ends early at record %zu (%s)%s; the %zu host "
                          "calls before replayed identically",
                          recording.stopRecord, recording.problem.c_str(),
                          said ? "" : ", without the end marker", turns.made());
        return kExitEndsEarly;
    }
    hostLog().line("replay: %zu host calls replayed identically", turns.made());
    return kExitOk;
}
} // namespace host
