#include "rules/RuleChecker.h"

#include "rules/ProtocolOpcodes.h"
#include "vst/OpCodeTable.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>

namespace rules
{
namespace
{
constexpr auto kRelaxed = std::memory_order_relaxed;

bool isProcess(uint8_t function) noexcept
{
    return function == fnProcess || function == fnProcessReplacing ||
           function == fnProcessDoubleReplacing;
}

// What a host may set only while suspended.
bool needsSuspended(int32_t opcode) noexcept
{
    return opcode == effSetSampleRate || opcode == effSetBlockSize ||
           opcode == effSetBlockSizeAndSampleRate || opcode == effSetProcessPrecision ||
           opcode == effSetSpeakerArrangement;
}

bool takesParameterIndex(int32_t opcode) noexcept
{
    return opcode == effGetParamLabel || opcode == effGetParamDisplay ||
           opcode == effGetParamName || opcode == effCanBeAutomated ||
           opcode == effString2Parameter || opcode == effGetParameterProperties;
}

// Where the host hands the plug-in room to write into: a text, a structure, or a pointer.
bool writesThroughPtr(int32_t opcode) noexcept
{
    const VstOpCodeInfo* info = opCodeInfo(fnDispatcher, opcode);
    if (info == nullptr)
        return false;
    switch (info->carriedOut)
    {
    case Carried::chunkOut:
    case Carried::pinProperties:
    case Carried::parameterProperties:
    case Carried::rectangle:
    case Carried::arrangementsAt:
        return true;
    default:
        return info->ptrIsReturned;
    }
}

bool outsideUnit(float value) noexcept
{
    return !(value >= 0.0f && value <= 1.0f);
}

// A call's name for a line: "processReplacing", "effSetBlockSize", "audioMasterIdle".
// A call's name for a firing's text, looked up only when a rule fires.
struct Name
{
    uint8_t function;
    int32_t opcode;

    const char* prefix() const noexcept
    {
        if (function != fnDispatcher && function != fnAudioMaster)
            return "";
        const bool named = opcode == effSetProcessPrecision ||
                           opCodeInfo(static_cast<VstFunctionIndex>(function), opcode) != nullptr;
        return function == fnDispatcher ? (named ? "eff" : "dispatcher opcode ")
                                        : (named ? "audioMaster" : "audioMaster opcode ");
    }
    const char* text() const noexcept
    {
        if (function == fnDispatcher && opcode == effSetProcessPrecision)
            return "SetProcessPrecision";
        if (const VstOpCodeInfo* info = opCodeInfo(static_cast<VstFunctionIndex>(function), opcode))
            return info->name;
        if (function < kNumVstFunctions && function != fnDispatcher && function != fnAudioMaster)
            return vstFunctionNames[function];
        return "?";
    }
};

Name nameOf(uint8_t function, int32_t opcode) noexcept
{
    return {function, opcode};
}

uint64_t threadBit(uint32_t number) noexcept
{
    return uint64_t{1} << (number == 0 ? 0 : number > 64 ? 63 : number - 1);
}

// A load and a store, no locked instruction: only the thread that sends events raises it.
void raiseTo(std::atomic<int32_t>& value, int32_t to) noexcept
{
    if (value.load(kRelaxed) < to)
        value.store(to, kRelaxed);
}
} // namespace

bool PluginFacts::operator==(const PluginFacts& other) const noexcept
{
    return flags == other.flags && numPrograms == other.numPrograms &&
           numParams == other.numParams && numInputs == other.numInputs &&
           numOutputs == other.numOutputs && initialDelay == other.initialDelay &&
           hasProcessReplacing == other.hasProcessReplacing &&
           hasProcessDoubleReplacing == other.hasProcessDoubleReplacing;
}

RuleChecker::RuleChecker(Firing onFiring, void* context) noexcept
    : firing(onFiring), firingContext(context)
{
}

void RuleChecker::pluginStarted(const PluginFacts& facts) noexcept
{
    pluginChanged(facts);
    latencyAnnounced();
    factsKnown.store(true, kRelaxed);
    if (facts.hasProcessReplacing && (facts.flags & effFlagsCanReplacing) == 0)
        fire(Rule::replacingNotFlagged, ThreadState{}, 0,
             "processReplacing offered without effFlagsCanReplacing (flags 0x%X)",
             static_cast<unsigned>(facts.flags));
}

void RuleChecker::pluginChanged(const PluginFacts& facts) noexcept
{
    flags.store(facts.flags, kRelaxed);
    numPrograms.store(facts.numPrograms, kRelaxed);
    numParams.store(facts.numParams, kRelaxed);
    delayNow.store(facts.initialDelay, kRelaxed);
    inputsNow.store(facts.numInputs, kRelaxed);
    outputsNow.store(facts.numOutputs, kRelaxed);
    if (threadsAnnouncing.load(kRelaxed) > 0)
        latencyAnnounced();
    else if (facts.initialDelay != delayAnnounced.load(kRelaxed) ||
             facts.numInputs != inputsAnnounced.load(kRelaxed) ||
             facts.numOutputs != outputsAnnounced.load(kRelaxed))
        changePending.store(true, kRelaxed);
}

void RuleChecker::latencyAnnounced() noexcept
{
    changePending.store(false, kRelaxed);
    delayAnnounced.store(delayNow.load(kRelaxed), kRelaxed);
    inputsAnnounced.store(inputsNow.load(kRelaxed), kRelaxed);
    outputsAnnounced.store(outputsNow.load(kRelaxed), kRelaxed);
}

void RuleChecker::ticksPerSecond(double rate) noexcept
{
    tickRate.store(rate, kRelaxed);
}

void RuleChecker::hostCall(ThreadState& thread, const CallFacts& call) noexcept
{
    const Name name = nameOf(call.function, call.opcode);
    if (isClosed.load(kRelaxed))
        fire(Rule::callAfterClose, thread, call.call, "%s%s after effClose", name.prefix(),
             name.text());
    // Loaded first: a locked instruction on every call would cost more than the rest together.
    if (const uint64_t bit = threadBit(thread.number); (threadsCalled.load(kRelaxed) & bit) == 0)
        threadsCalled.fetch_or(bit, kRelaxed);
    if (changePending.load(kRelaxed) && changePending.exchange(false, kRelaxed))
    {
        const int32_t delay = delayAnnounced.load(kRelaxed);
        const int32_t delayNowValue = delayNow.load(kRelaxed);
        if (delay != delayNowValue)
            fire(Rule::latencyChangeUnannounced, thread, call.call,
                 "initialDelay %d to %d without audioMasterIOChanged before %s%s", delay,
                 delayNowValue, name.prefix(), name.text());
        else
            fire(Rule::latencyChangeUnannounced, thread, call.call,
                 "channels %d in %d out to %d in %d out without audioMasterIOChanged before %s%s",
                 inputsAnnounced.load(kRelaxed), outputsAnnounced.load(kRelaxed),
                 inputsNow.load(kRelaxed), outputsNow.load(kRelaxed), name.prefix(), name.text());
        latencyAnnounced();
    }
    switch (call.function)
    {
    case fnDispatcher:
        dispatcherCall(thread, call);
        break;
    case fnSetParameter:
        parameterIndex(thread, call, call.index);
        if (outsideUnit(call.floatResult))
            fire(Rule::parameterValueOutOfRange, thread, call.call, "setParameter %d to %g",
                 call.index, static_cast<double>(call.floatResult));
        break;
    case fnGetParameter:
        parameterIndex(thread, call, call.index);
        break;
    default:
        if (isProcess(call.function))
            processCall(thread, call);
        break;
    }
}

void RuleChecker::eventsCall(ThreadState& thread, const CallFacts& call) noexcept
{
    ++thread.inEvents;
    const EventFacts* events = call.events;
    if (events == nullptr || events->count <= 0)
        return;
    if (events->minDelta < 0)
        fire(Rule::eventOutsideBlock, thread, call.call, "an event at deltaFrames %d",
             events->minDelta);
    raiseTo(eventsMaxDelta, events->maxDelta);
    if (events->firstUnsorted > 0)
        fire(Rule::eventsUnsorted, thread, call.call,
             "event %d of %d comes before event %d in time", events->firstUnsorted, events->count,
             events->firstUnsorted - 1);
}

void RuleChecker::eventsReturned(ThreadState& thread) noexcept
{
    if (thread.inEvents > 0)
        --thread.inEvents;
}

void RuleChecker::dispatcherCall(ThreadState& thread, const CallFacts& call) noexcept
{
    const int32_t opcode = call.opcode;
    // The most frequent after the process calls, and none of the rules below is about it.
    if (opcode == effProcessEvents)
    {
        eventsCall(thread, call);
        return;
    }
    const Name name = nameOf(call.function, opcode);
    if (needsSuspended(opcode) && resumed.load(kRelaxed))
        fire(Rule::setupWhileResumed, thread, call.call, "%s%s while resumed", name.prefix(),
             name.text());
    if (isSetup(opcode))
    {
        if (thread.inSetup++ == 0)
            threadsInSetup.fetch_add(1, kRelaxed);
        if (const uint32_t inside = processOwner.load(kRelaxed) & ~kOwnerSeen;
            inside != 0 && inside != ownerId(thread))
            fire(Rule::processDuringSetup, thread, call.call, "%s%s while another thread processes",
                 name.prefix(), name.text());
    }
    if (announcesChanges(opcode) && thread.inAnnouncing++ == 0)
        threadsAnnouncing.fetch_add(1, kRelaxed);
    if (isEditorCall(opcode) && thread.number != 0 &&
        processingThread.load(kRelaxed) == thread.number &&
        (threadsCalled.load(kRelaxed) & ~threadBit(thread.number)) != 0)
        fire(Rule::editorThread, thread, call.call,
             "%s%s on t%u, the thread that processes, while other threads call", name.prefix(),
             name.text(), thread.number);
    if (call.ptrNull && writesThroughPtr(opcode))
        fire(Rule::nullBuffer, thread, call.call, "%s%s with a null pointer", name.prefix(),
             name.text());
    if (takesParameterIndex(opcode))
        parameterIndex(thread, call, call.index);
    if (opcode == effSetProgram || opcode == effGetProgramNameIndexed)
    {
        const int64_t program = opcode == effSetProgram ? call.value : call.index;
        const int32_t programs = numPrograms.load(kRelaxed);
        const bool none = program == 0 && programs == 0; // how hosts start a program-less plug-in
        const bool known = factsKnown.load(kRelaxed);
        if (program < 0 || (!none && known && program >= programs))
            fire(Rule::indexOutOfRange, thread, call.call,
                 known ? "%s%s program %lld of %d" : "%s%s program %lld", name.prefix(),
                 name.text(), static_cast<long long>(program), programs);
    }
    if (call.textLength >= 0)
        textLength(thread, call, true);
    switch (opcode)
    {
    case effMainsChanged:
        resumed.store(call.value != 0, kRelaxed);
        if (call.value != 0)
            everResumed.store(true, kRelaxed);
        break;
    case effSetBlockSize:
        blockSize.store(static_cast<int32_t>(call.value), kRelaxed);
        break;
    case effSetSampleRate:
        sampleRate.store(call.opt, kRelaxed);
        break;
    case effSetBlockSizeAndSampleRate:
        blockSize.store(static_cast<int32_t>(call.value), kRelaxed);
        sampleRate.store(call.opt, kRelaxed);
        break;
    case effSetProcessPrecision:
        precision.store(static_cast<int32_t>(call.value), kRelaxed);
        break;
    default:
        break;
    }
}

void RuleChecker::parameterIndex(const ThreadState& thread, const CallFacts& call,
                                 int32_t index) noexcept
{
    const int32_t params = numParams.load(kRelaxed);
    const bool known = factsKnown.load(kRelaxed);
    if (index >= 0 && (!known || index < params))
        return;
    const Name name = nameOf(call.function, call.opcode);
    if (known)
        fire(Rule::indexOutOfRange, thread, call.call, "%s%s parameter %d of %d", name.prefix(),
             name.text(), index, params);
    else
        fire(Rule::indexOutOfRange, thread, call.call, "%s%s parameter %d", name.prefix(),
             name.text(), index);
}

void RuleChecker::processCall(ThreadState& thread, const CallFacts& call) noexcept
{
    const char* name = vstFunctionNames[call.function];
    if (!resumed.load(kRelaxed))
        fire(Rule::processWhileSuspended, thread, call.call,
             everResumed.load(kRelaxed) ? "%s after effMainsChanged 0"
                                        : "%s before effMainsChanged 1",
             name);
    if (thread.inProcess++ == 0)
    {
        const uint32_t inside = processOwner.load(kRelaxed);
        const bool other = inside != 0 && (inside & ~kOwnerSeen) != ownerId(thread);
        if (other)
            fire(Rule::concurrentProcess, thread, call.call,
                 "%s on t%u while another thread processes", name, thread.number);
        processOwner.store(ownerId(thread) | (other ? kOwnerSeen : 0), kRelaxed);
    }
    if (threadsInSetup.load(kRelaxed) > (thread.inSetup > 0 ? 1 : 0))
        fire(Rule::processDuringSetup, thread, call.call,
             "%s while another thread sets the instance up", name);
    processingThread.store(thread.number, kRelaxed);
    if (const int32_t set = blockSize.load(kRelaxed); set > 0 && call.frames > set)
        fire(Rule::blockLargerThanSet, thread, call.call,
             "%s of %d frames after effSetBlockSize %d", name, call.frames, set);
    const int32_t delta = eventsMaxDelta.load(kRelaxed);
    if (delta >= 0)
        eventsMaxDelta.store(-1, kRelaxed);
    if (delta >= call.frames)
        fire(Rule::eventOutsideBlock, thread, call.call,
             "an event at deltaFrames %d before a block of %d frames", delta, call.frames);
    if (factsKnown.load(kRelaxed))
    {
        const int32_t offered = flags.load(kRelaxed);
        if ((call.function == fnProcessReplacing && (offered & effFlagsCanReplacing) == 0) ||
            (call.function == fnProcessDoubleReplacing &&
             (offered & effFlagsCanDoubleReplacing) == 0))
            fire(Rule::functionNotOffered, thread, call.call, "%s called, flags 0x%X", name,
                 static_cast<unsigned>(offered));
    }
    if (call.function == fnProcessDoubleReplacing && precision.load(kRelaxed) != 1)
        fire(Rule::precisionNotSet, thread, call.call,
             "processDoubleReplacing before effSetProcessPrecision 1");
    thread.processBeginTicks = call.ticks;
    thread.processFrames = call.frames;
}

void RuleChecker::hostReturn(ThreadState& thread, const CallFacts& ret) noexcept
{
    if (isProcess(ret.function))
    {
        processReturn(thread, ret);
        return;
    }
    if (ret.function == fnGetParameter && outsideUnit(ret.floatResult))
        fire(Rule::parameterOutOfRange, thread, ret.call, "getParameter %d returned %g", ret.index,
             static_cast<double>(ret.floatResult));
    if (ret.function != fnDispatcher)
        return;
    if (ret.opcode == effProcessEvents)
    {
        eventsReturned(thread);
        return;
    }
    if (isSetup(ret.opcode) && thread.inSetup > 0 && --thread.inSetup == 0)
        threadsInSetup.fetch_sub(1, kRelaxed);
    if (announcesChanges(ret.opcode) && thread.inAnnouncing > 0 && --thread.inAnnouncing == 0)
        threadsAnnouncing.fetch_sub(1, kRelaxed);
    if (ret.opcode == effGetChunk && (ret.result < 0 || (ret.result > 0 && ret.chunkNull)))
        fire(Rule::chunkInconsistent, thread, ret.call,
             ret.result < 0 ? "effGetChunk returned size %lld"
                            : "effGetChunk returned size %lld "
                              "with a null chunk",
             static_cast<long long>(ret.result));
    if (ret.textLength >= 0)
        textLength(thread, ret, false);
}

void RuleChecker::processReturn(ThreadState& thread, const CallFacts& ret) noexcept
{
    if (thread.inProcess == 0)
        return;
    if (--thread.inProcess == 0)
    {
        // Another thread came in meanwhile, unseen: both entered at once.
        const uint32_t inside = processOwner.load(kRelaxed);
        if ((inside & ~kOwnerSeen) == ownerId(thread))
            processOwner.store(0, kRelaxed);
        else if (inside != 0 && (inside & kOwnerSeen) == 0)
            fire(Rule::concurrentProcess, thread, ret.call,
                 "%s on t%u returned while another thread processes",
                 vstFunctionNames[ret.function], thread.number);
    }
    const uint64_t begin = thread.processBeginTicks;
    if (begin != 0 && ret.ticks >= begin)
        processTook(thread, ret.call, ret.function, thread.processFrames, ret.ticks - begin);
}

void RuleChecker::processTook(const ThreadState& thread, uint64_t call, uint8_t function,
                              int32_t frames, uint64_t ticks) noexcept
{
    const double rate = tickRate.load(kRelaxed);
    const auto samples = static_cast<double>(sampleRate.load(kRelaxed));
    if (rate <= 0 || samples <= 0 || frames <= 0 || !isProcess(function))
        return;
    const double tookNs = static_cast<double>(ticks) * 1e9 / rate;
    const double budgetNs = frames * 1e9 / samples;
    if (tookNs <= budgetNs)
        return;
    updateWorst(call, static_cast<uint64_t>(tookNs));
    fire(Rule::processOverBudget, thread, call,
         "%s of %d frames took %.3f ms, its block lasts %.3f ms at %.0f Hz",
         vstFunctionNames[function], frames, tookNs / 1e6, budgetNs / 1e6, samples);
}

// Only one thread at a time writes the worst; one that finds it busy lets its call go.
void RuleChecker::updateWorst(uint64_t call, uint64_t ns) noexcept
{
    Tally& tally = tallies[static_cast<size_t>(Rule::processOverBudget)];
    if (ns <= tally.worstNs.load(kRelaxed) || worstBusy.exchange(true, std::memory_order_acquire))
        return;
    if (ns > tally.worstNs.load(kRelaxed))
    {
        tally.worstCall = call;
        tally.worstNs.store(ns, kRelaxed);
    }
    worstBusy.store(false, std::memory_order_release);
}

void RuleChecker::textLength(const ThreadState& thread, const CallFacts& facts,
                             bool fromHost) noexcept
{
    const int32_t room = textRoom(facts.function, facts.opcode);
    if (room == 0 || facts.textLength <= room)
        return;
    const Name name = nameOf(facts.function, facts.opcode);
    fire(Rule::textTooLong, thread, facts.call, "%s%s %s %d bytes, more than %d", name.prefix(),
         name.text(), fromHost ? "with" : "returned", facts.textLength, room);
}

void RuleChecker::callback(ThreadState& thread, const CallFacts& call) noexcept
{
    const Name name = nameOf(call.function, call.opcode);
    if (isClosed.load(kRelaxed))
        fire(Rule::callbackAfterClose, thread, call.call, "%s%s after effClose", name.prefix(),
             name.text());
    if (call.opcode == audioMasterIOChanged)
        latencyAnnounced();
    if (thread.inProcess == 0 && thread.inEvents == 0)
        return;
    switch (call.opcode)
    {
    case audioMasterIOChanged:
    case audioMasterSizeWindow:
    case audioMasterIdle:
    case audioMasterOpenFileSelector:
    case audioMasterCloseFileSelector:
        fire(Rule::blockingCallbackInProcess, thread, call.call, "%s%s while processing",
             name.prefix(), name.text());
        break;
    case audioMasterUpdateDisplay:
        fire(Rule::displayUpdateInProcess, thread, call.call, "%s%s while processing",
             name.prefix(), name.text());
        break;
    default:
        break;
    }
}

void RuleChecker::callbackReturn(ThreadState& thread, const CallFacts& ret) noexcept
{
    if (ret.textLength >= 0)
        textLength(thread, ret, true);
}

void RuleChecker::outputCounts(const ThreadState& thread, uint64_t call, int32_t channel,
                               uint32_t nonFinite, uint32_t denormal) noexcept
{
    if (nonFinite > 0)
        fire(Rule::outputNotFinite, thread, call, "%u NaN or infinite samples in output %d",
             nonFinite, channel);
    if (denormal > 0)
        fire(Rule::outputDenormal, thread, call, "%u denormal samples in output %d", denormal,
             channel);
}

void RuleChecker::closed() noexcept
{
    isClosed.store(true, kRelaxed);
}

bool RuleChecker::anyFired() const noexcept
{
    for (const Tally& tally : tallies)
        if (tally.count.load(kRelaxed) != 0)
            return true;
    return false;
}

void RuleChecker::fire(Rule rule, const ThreadState& thread, uint64_t call, const char* format,
                       ...) noexcept
{
    Tally& tally = tallies[static_cast<size_t>(rule)];
    const bool first = tally.count.fetch_add(1, kRelaxed) == 0;
    if (first)
    {
        tally.firstCall = call;
        tally.firstThread = thread.number;
        tally.firstRole = thread.role;
        va_list arguments;
        va_start(arguments, format);
        std::vsnprintf(tally.firstText, sizeof tally.firstText, format, arguments);
        va_end(arguments);
        tally.firstWritten.store(true, std::memory_order_release);
    }
    if (firing != nullptr)
        firing(firingContext, rule, tally, call, first);
}
} // namespace rules
