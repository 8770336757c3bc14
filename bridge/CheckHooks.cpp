#include "bridge/CheckHooks.h"

#include "bridge/LiveCheck.h"
#include "bridge/Process.h"
#include "rules/ProtocolOpcodes.h"
#include "rules/RuleCatalogue.h"
#include "vst/OpCodeTable.h"
#include "vst/VstStructures.h"

#include <cstring>

namespace checkHooks
{
namespace
{
constexpr auto relaxed = std::memory_order_relaxed;
// An event list is read no further than a recording reads it.
constexpr int32_t kMaxEvents = 4096;
// Texts are measured up to 255 bytes: every room a rule knows is shorter.
constexpr size_t kTextScan = 255;
constexpr uint8_t kRoleMain = 0;
constexpr uint8_t kRoleAudio = 1;
constexpr uint8_t kRoleOther = 2;
constexpr uint8_t kRoleUnknown = 0xFF; // a new slot's, until giveRole

// The call's number: all call records so far, this one included, as `oplexa print` numbers them
// (a return takes its call's). Each thread counts its own, and the total is their sum: a plain
// store and a load per thread where one counter shared by all would cost a locked instruction.
// Calls of threads made at once may share a number or swap theirs, as they may in the order they
// reach a recording; none is lost.
uint64_t nextCall(Session& session, const rules::ThreadState& thread) noexcept
{
    CheckNumbering& numbering = session.checkNumbering;
    const uint32_t number = thread.number;
    if (number - 1 < CheckNumbering::kCountedThreads && &thread != &numbering.crowd)
    {
        std::atomic<uint64_t>& own = numbering.threadRecords[number].records;
        own.store(own.load(relaxed) + 1, relaxed);
    }
    else
        numbering.threadRecords[0].records.fetch_add(1, relaxed);
    uint32_t threads = numbering.nextThread.load(relaxed);
    threads = threads < CheckNumbering::kCountedThreads ? threads : CheckNumbering::kCountedThreads;
    uint64_t total = numbering.threadRecords[0].records.load(relaxed);
    for (uint32_t i = 1; i <= threads; ++i)
        total += numbering.threadRecords[i].records.load(relaxed);
    return total;
}

// Before each record, as a recording writes its plug-in records: the checker hears of a change
// of the hosted record before the call or return that follows it.
[[gnu::always_inline]] inline void followRecord(Session& session) noexcept
{
    const AEffect* hosted = session.vstEffect.load(relaxed);
    if (hosted == nullptr)
        return;
    // Whole words where the record has them: numPrograms to numOutputs are two.
    using Word = uint64_t __attribute__((may_alias));
    const auto* counts = reinterpret_cast<const Word*>(&hosted->numPrograms);
    CheckNumbering& numbering = session.checkNumbering;
    const uint64_t flags = uint64_t{static_cast<uint32_t>(liveCheck::loaded(hosted->flags))} |
                           uint64_t{static_cast<uint32_t>(liveCheck::loaded(hosted->initialDelay))}
                               << 32;
    const uint64_t functions =
        uint64_t{liveCheck::loaded(hosted->processReplacing) != nullptr} << 31 |
        uint64_t{liveCheck::loaded(hosted->processDoubleReplacing) != nullptr} << 63;
    // One branch: the words compared apart would each take one.
    if (((__atomic_load_n(&counts[0], __ATOMIC_RELAXED) ^ numbering.facts[0].load(relaxed)) |
         (__atomic_load_n(&counts[1], __ATOMIC_RELAXED) ^ numbering.facts[1].load(relaxed)) |
         (flags ^ functions ^ numbering.facts[2].load(relaxed))) == 0)
        return;
    const rules::PluginFacts facts = liveCheck::factsOf(*hosted);
    liveCheck::storeFacts(numbering, facts);
    session.checker.pluginChanged(facts);
}

// The number a recording of the session gives the calling thread: the recorder's own while it
// records, else counted the same way, from 1 in the order of the threads' first records.
uint32_t newThreadNumber(Session& session, bool processing) noexcept
{
    CheckNumbering& numbering = session.checkNumbering;
    if (!session.recorder.on())
        return numbering.nextThread.fetch_add(1, relaxed) + 1;
    const uint32_t number = session.recorder.thread(processing).number;
    uint32_t highest = numbering.nextThread.load(relaxed);
    while (highest < number &&
           !numbering.nextThread.compare_exchange_weak(highest, number, relaxed))
    {
    }
    return number;
}

// Not the slot the thread used last: another session's, or none yet.
[[gnu::noinline]] rules::ThreadState* otherSlot(Session& session, CheckThreads& mine,
                                                bool processing) noexcept
{
    const uint32_t check = session.checkNumbering.check;
    for (uint32_t i = 0; i < CheckThreads::kSlots; ++i)
        if (mine.slots[i].check == check)
        {
            mine.last = i;
            return &mine.slots[i].state;
        }
    mine.last = mine.next++ % CheckThreads::kSlots;
    CheckThread& slot = mine.slots[mine.last];
    slot = {check, {}};
    slot.state.number = newThreadNumber(session, processing);
    slot.state.role = kRoleUnknown;
    return &slot.state;
}

// A thread's role, once it is known and for as long as it stands: main for the session's first
// thread, audio for the first that processes. Out of line: the compare-and-swaps are rare.
[[gnu::noinline]] void giveRole(CheckNumbering& numbering, rules::ThreadState& state,
                                bool processing) noexcept
{
    const uint32_t number = state.number;
    uint32_t none = 0;
    if (numbering.firstThread.load(relaxed) == 0)
        numbering.firstThread.compare_exchange_strong(none, number, relaxed);
    none = 0;
    if (processing && numbering.audioThread.load(relaxed) == 0)
        numbering.audioThread.compare_exchange_strong(none, number, relaxed);
    state.role = number == numbering.audioThread.load(relaxed)   ? kRoleAudio
                 : number == numbering.firstThread.load(relaxed) ? kRoleMain
                                                                 : kRoleOther;
}

// The calling thread's state in this session, with its role as a recording gives it.
[[gnu::always_inline]] inline rules::ThreadState& threadOf(Session& session,
                                                           bool processing) noexcept
{
    CheckNumbering& numbering = session.checkNumbering;
    rules::ThreadState* state = &numbering.crowd;
    if (CheckThreads* mine = Process::get().checkThreads.mine())
    {
        state = mine->slots[mine->last].check == numbering.check
                    ? &mine->slots[mine->last].state
                    : otherSlot(session, *mine, processing);
    }
    else if (state->number == 0)
        state->number = newThreadNumber(session, processing);
    if (state == &numbering.crowd || state->role == kRoleUnknown ||
        (processing && state->role != kRoleAudio))
        giveRole(numbering, *state, processing);
    return *state;
}

// Copied rather than built: building one zeroes it with a string instruction whose start-up
// alone cost more than the rest of a hook.
const rules::CallFacts kBlank{};

// A record's facts, numbered, after the checker heard of any change of the plug-in's record.
// kind: a call whose return has its hook, a call whose return has none, or a return.
enum class Hooked
{
    callReturning,
    call,
    ret,
};
rules::CallFacts factsFor(Session& session, rules::ThreadState& thread, VstFunctionIndex function,
                          int32_t opcode, Hooked kind) noexcept
{
    uint64_t call = 0;
    if (kind != Hooked::ret)
        call = nextCall(session, thread);
    if (kind == Hooked::callReturning)
    {
        if (thread.openDepth < rules::ThreadState::kOpenCalls)
            thread.openCalls[thread.openDepth] = call;
        ++thread.openDepth;
    }
    else if (kind == Hooked::ret && thread.openDepth > 0 &&
             --thread.openDepth < rules::ThreadState::kOpenCalls)
        call = thread.openCalls[thread.openDepth];
    // A change made inside a call is seen at the next call, before the checker judges it; only
    // the returns of the calls after which hosts read the record again must see it first.
    if (kind != Hooked::ret || rules::announces(static_cast<uint8_t>(function), opcode))
        followRecord(session);
    rules::CallFacts facts = kBlank;
    facts.call = call;
    facts.function = static_cast<uint8_t>(function);
    return facts;
}

int32_t textLength(const void* ptr) noexcept
{
    if (ptr == nullptr)
        return -1;
    return static_cast<int32_t>(strnlen(static_cast<const char*>(ptr), kTextScan));
}

rules::EventFacts eventFacts(const void* ptr) noexcept
{
    rules::EventFacts facts;
    if (ptr == nullptr)
        return facts;
    const auto* list = static_cast<const VstEvents*>(ptr);
    facts.count = list->numEvents;
    bool any = false;
    int32_t last = 0;
    for (int32_t i = 0; i < facts.count && i < kMaxEvents; ++i)
    {
        const VstEvent* event = list->events[i];
        if (event == nullptr)
            continue;
        const int32_t delta = event->deltaFrames;
        if (!any)
            facts.minDelta = facts.maxDelta = delta;
        else if (delta < last && facts.firstUnsorted < 0)
            facts.firstUnsorted = i;
        facts.minDelta = delta < facts.minDelta ? delta : facts.minDelta;
        facts.maxDelta = delta > facts.maxDelta ? delta : facts.maxDelta;
        any = true;
        last = delta;
    }
    return facts;
}

void hostOrCallback(Session& session, VstFunctionIndex function, rules::ThreadState& thread,
                    const rules::CallFacts& facts) noexcept
{
    if (function == fnAudioMaster)
        session.checker.callback(thread, facts);
    else
        session.checker.hostCall(thread, facts);
}
} // namespace

rules::ThreadState* opcodeCall(Session& session, VstFunctionIndex function, int32_t opcode,
                               int32_t index, VstIntPtr value, void* ptr, float opt) noexcept
{
    rules::ThreadState& thread = threadOf(session, false);
    // The returns no rule looks at get no hook: most opcodes'.
    const bool returns = rules::judgesReturn(static_cast<uint8_t>(function), opcode);
    rules::CallFacts facts =
        factsFor(session, thread, function, opcode, returns ? Hooked::callReturning : Hooked::call);
    facts.opcode = opcode;
    facts.index = index;
    facts.value = value;
    facts.opt = opt;
    facts.ptrNull = ptr == nullptr;
    rules::EventFacts events;
    if (const VstOpCodeInfo* info = opCodeInfo(function, opcode))
    {
        if (info->ptrKind == ptrString && !info->ptrIsReturned)
            facts.textLength = textLength(ptr);
        if (info->carriedIn == Carried::events)
        {
            events = eventFacts(ptr);
            facts.events = &events;
        }
    }
    hostOrCallback(session, function, thread, facts);
    return returns ? &thread : nullptr;
}

void opcodeReturn(Session& session, rules::ThreadState& thread, VstFunctionIndex function,
                  int32_t opcode, VstIntPtr value, void* ptr, VstIntPtr result) noexcept
{
    // The most frequent return after the process calls', and all that it changes is this.
    if (function == fnDispatcher && opcode == effProcessEvents)
    {
        if (thread.openDepth > 0)
            --thread.openDepth;
        session.checker.eventsReturned(thread);
        return;
    }
    rules::CallFacts facts = factsFor(session, thread, function, opcode, Hooked::ret);
    facts.opcode = opcode;
    facts.value = value;
    facts.result = result;
    facts.ptrNull = ptr == nullptr;
    if (const VstOpCodeInfo* info = opCodeInfo(function, opcode))
    {
        if (info->ptrKind == ptrString && info->ptrIsReturned)
            facts.textLength = textLength(ptr);
        if (info->carriedOut == Carried::chunkOut)
            facts.chunkNull = ptr != nullptr && *static_cast<void* const*>(ptr) == nullptr;
    }
    if (function == fnAudioMaster)
        session.checker.callbackReturn(thread, facts);
    else
        session.checker.hostReturn(thread, facts);
}

rules::ThreadState* processCall(Session& session, VstFunctionIndex function,
                                int32_t frames) noexcept
{
    rules::ThreadState& thread = threadOf(session, true);
    rules::CallFacts facts = factsFor(session, thread, function, 0, Hooked::callReturning);
    facts.frames = frames;
    session.checker.hostCall(thread, facts);
    return &thread;
}

void processReturn(Session& session, rules::ThreadState& thread, VstFunctionIndex function,
                   int32_t frames) noexcept
{
    rules::CallFacts facts = factsFor(session, thread, function, 0, Hooked::ret);
    facts.frames = frames;
    session.checker.hostReturn(thread, facts);
}

rules::ThreadState* parameterCall(Session& session, VstFunctionIndex function, int32_t index,
                                  float value) noexcept
{
    rules::ThreadState& thread = threadOf(session, false);
    const bool returns = rules::judgesReturn(static_cast<uint8_t>(function), 0);
    rules::CallFacts facts =
        factsFor(session, thread, function, 0, returns ? Hooked::callReturning : Hooked::call);
    facts.index = index;
    facts.floatResult = value;
    session.checker.hostCall(thread, facts);
    return returns ? &thread : nullptr;
}

void parameterReturn(Session& session, rules::ThreadState& thread, VstFunctionIndex function,
                     int32_t index, float value) noexcept
{
    rules::CallFacts facts = factsFor(session, thread, function, 0, Hooked::ret);
    facts.index = index;
    facts.floatResult = value;
    session.checker.hostReturn(thread, facts);
}

void refusedCall(Session& session, VstFunctionIndex function, int32_t opcode) noexcept
{
    // Turned away while Close runs is no fault; only what comes after it is.
    if (!session.checkNumbering.closed.load(relaxed))
        return;
    rules::ThreadState& thread = threadOf(session, false);
    rules::CallFacts facts = kBlank;
    facts.call = nextCall(session, thread);
    facts.function = static_cast<uint8_t>(function);
    facts.opcode = opcode;
    hostOrCallback(session, function, thread, facts);
}

void closed(Session& session) noexcept
{
    if (!session.checking.load(relaxed))
        return;
    session.checkNumbering.closed.store(true, relaxed);
    session.checker.closed();
}

// "Problem process-while-suspended fired 12 times, first in call 53" per rule that fired.
void writeSummary(Session& session) noexcept
{
    if (!session.checking.load(relaxed))
        return;
    for (size_t i = 0; i < rules::kRuleCount; ++i)
    {
        const auto rule = static_cast<rules::Rule>(i);
        const rules::Tally& tally = session.checker.tally(rule);
        const uint64_t count = tally.count.load(relaxed);
        if (count == 0)
            continue;
        LineBuffer line;
        session.oxLogger.beginLine(line);
        line.appendLiteral("Problem ");
        line.appendText(rules::ruleInfo(rule).id);
        line.appendLiteral(" fired ");
        line.appendDecimal(static_cast<long>(count));
        if (count == 1)
            line.appendLiteral(" time, first in call ");
        else
            line.appendLiteral(" times, first in call ");
        line.appendDecimal(tally.firstWritten.load(std::memory_order_acquire)
                               ? static_cast<long>(tally.firstCall)
                               : 0);
        session.oxLogger.writeLine(line);
    }
}
} // namespace checkHooks
