// Watches one instance's calls for the rules of RuleCatalogue.h. The same checker serves the
// module while a session runs (the forwarders feed it from the calls themselves) and
// `oplexa check` (fed from a recording, record by record): both describe a call the same way, as
// CallFacts, so that a session and its recording report the same problems.
//
// Live, every thread that calls into the instance feeds it at once: nothing here locks,
// allocates, makes a system call or formats text but for a rule's first firing; counters are
// relaxed atomics. Each thread passes its own ThreadState, which only that thread touches.
#pragma once

#include "rules/RuleCatalogue.h"

#include <atomic>
#include <cstdint>

namespace rules
{
// What the checker reads about a plug-in's record: at the start and whenever it may have changed.
struct PluginFacts
{
    int32_t flags = 0;
    int32_t numPrograms = 0;
    int32_t numParams = 0;
    int32_t numInputs = 0;
    int32_t numOutputs = 0;
    int32_t initialDelay = 0;
    bool hasProcessReplacing = false;
    bool hasProcessDoubleReplacing = false;
    bool operator==(const PluginFacts& other) const noexcept;
    bool operator!=(const PluginFacts& other) const noexcept { return !(*this == other); }
};

// An event list as the checker sees it (effProcessEvents), summed up by whoever feeds it.
struct EventFacts
{
    int32_t count = 0;
    int32_t firstUnsorted =
        -1; // index of the first event whose deltaFrames is below the one before
    int32_t minDelta = 0;
    int32_t maxDelta = 0;
};

// One call or return, from the call itself or from its recorded record. Feeders fill what the
// call has; the rest stays as constructed.
struct CallFacts
{
    uint64_t call = 0;    // its number, as `oplexa print` numbers a recording's records
    uint8_t function = 0; // VstFunctionIndex
    int32_t opcode = 0;   // dispatcher and audioMaster calls
    int32_t index = 0;    // parameter index for setParameter and getParameter
    int64_t value = 0;
    float opt = 0.0f;
    bool ptrNull = false;  // ptr (dispatcher, audioMaster) was null
    int32_t frames = 0;    // process calls: sampleFrames
    int64_t result = 0;    // returns
    float floatResult = 0; // getParameter's return; setParameter's value on its call
    // A text the call carries in (on a call) or out (on a return): its bytes without the NUL,
    // counted up to 255 (more reads as 255). -1: no text, or not known.
    int32_t textLength = -1;
    const EventFacts* events = nullptr; // effProcessEvents and audioMasterProcessEvents
    // effGetChunk's return: the pointer it stored at ptr was null.
    bool chunkNull = false;
    // Time-stamp counter ticks at the call's begin or the return's end; 0 when not timed.
    uint64_t ticks = 0;
};

// What one thread is doing in this instance; owned by the feeder, touched only by its thread
// (offline, by the one reading thread).
struct ThreadState
{
    uint32_t number = 0;   // the thread as a recording numbers it, from 1
    uint8_t role = 0;      // main 0, audio 1, other 2, as in a recording
    uint8_t inProcess = 0; // inside a process function (nesting depth)
    uint8_t inSetup = 0;
    uint64_t processBeginTicks = 0;
    uint8_t inEvents = 0;      // inside effProcessEvents
    int32_t processFrames = 0; // the open process call's sampleFrames, for its return
    uint8_t inAnnouncing = 0;  // inside a call after which hosts read the record again
    // For feeders that number a return by its call: the numbers of the calls the thread is
    // inside, innermost last (past kOpenCalls deep, returns take 0).
    static constexpr uint8_t kOpenCalls = 8;
    uint8_t openDepth = 0;
    uint64_t openCalls[kOpenCalls] = {};
};

// A rule's tally: how often it fired, and where first.
struct Tally
{
    std::atomic<uint64_t> count{0};
    // Set once, by the thread whose firing was the first.
    uint64_t firstCall = 0;
    uint32_t firstThread = 0;
    uint8_t firstRole = 0;
    char firstText[112] =
        {}; // the first firing's own line, "processReplacing before effMainsChanged 1"
    std::atomic<bool> firstWritten{false}; // the fields above are complete (release)
    // For process-over-budget: the worst call's time and budget, in nanoseconds.
    std::atomic<uint64_t> worstNs{0};
    uint64_t worstCall = 0;
};

class RuleChecker
{
public:
    // Called at every firing, from the thread that fired, after the rule's Tally counts it;
    // first is true for the rule's first firing, whose Tally fields are then complete. The
    // module writes its "Problem" line on the first; a trace marks each. Must not block.
    using Firing = void (*)(void* context, Rule rule, const Tally& tally, uint64_t call,
                            bool first);
    explicit RuleChecker(Firing onFiring = nullptr, void* context = nullptr) noexcept;

    // The record as the plug-in's entry point returned it (replacing-not-flagged is judged
    // here), and as it is later (latency-change-unannounced compares).
    void pluginStarted(const PluginFacts& facts) noexcept;
    void pluginChanged(const PluginFacts& facts) noexcept;
    // The time-stamp counter's rate, for the budget rule; 0 (the default) leaves it unchecked.
    void ticksPerSecond(double rate) noexcept;

    // Host calls into the plug-in (dispatcher, process functions, setParameter, getParameter).
    // effProcessEvents returned: all its return changes, which a feeder may say alone.
    void eventsReturned(ThreadState& thread) noexcept;
    // A return carries its call's function and opcode (and getParameter's index), as a call does.
    void hostCall(ThreadState& thread, const CallFacts& call) noexcept;
    void hostReturn(ThreadState& thread, const CallFacts& ret) noexcept;
    // The plug-in's audioMaster calls.
    void callback(ThreadState& thread, const CallFacts& call) noexcept;
    void callbackReturn(ThreadState& thread, const CallFacts& ret) noexcept;
    // One output channel of a process call's block, counted by the recording's writer thread
    // (live) or from the recording: how many samples were NaN or infinite, and how many denormal.
    void outputCounts(const ThreadState& thread, uint64_t call, int32_t channel, uint32_t nonFinite,
                      uint32_t denormal) noexcept;
    // A process call's time inside the plug-in, in ticks, where its feeder times it apart from
    // hostCall and hostReturn (live, the recording's writer thread does, from the call's records).
    void processTook(const ThreadState& thread, uint64_t call, uint8_t function, int32_t frames,
                     uint64_t ticks) noexcept;
    // Live only: effClose returned; any call after it fires the live-only rules.
    void closed() noexcept;

    const Tally& tally(Rule rule) const noexcept { return tallies[static_cast<size_t>(rule)]; }
    bool anyFired() const noexcept;

private:
    // Counts a firing; formats text only for the rule's first.
    void fire(Rule rule, const ThreadState& thread, uint64_t call, const char* format, ...) noexcept
        __attribute__((format(printf, 5, 6)));
    void dispatcherCall(ThreadState& thread, const CallFacts& call) noexcept;
    void processCall(ThreadState& thread, const CallFacts& call) noexcept;
    void processReturn(ThreadState& thread, const CallFacts& ret) noexcept;
    void eventsCall(ThreadState& thread, const CallFacts& call) noexcept;
    void parameterIndex(const ThreadState& thread, const CallFacts& call, int32_t index) noexcept;
    void textLength(const ThreadState& thread, const CallFacts& facts, bool fromHost) noexcept;
    void latencyAnnounced() noexcept;
    void updateWorst(uint64_t call, uint64_t ns) noexcept;

    Tally tallies[kRuleCount];
    Firing firing;
    void* firingContext;
    // The instance's state, shared by its threads.
    std::atomic<bool> resumed{false};
    std::atomic<bool> everResumed{false};
    std::atomic<bool> isClosed{false};
    std::atomic<int32_t> blockSize{0}; // 0: never set
    std::atomic<int32_t> precision{0};
    // The thread inside a process function (ownerId), 0 for none; with kOwnerSeen once another
    // thread found it there and said so. A plain load and store per call, no locked instruction:
    // two threads that enter at the same moment are caught when the first returns.
    static constexpr uint32_t kOwnerSeen = 0x80000000u;
    static uint32_t ownerId(const ThreadState& thread) noexcept
    {
        return thread.number != 0 ? thread.number & ~kOwnerSeen : ~kOwnerSeen;
    }
    std::atomic<uint32_t> processOwner{0};
    std::atomic<int32_t> threadsInSetup{0};
    std::atomic<int32_t> threadsAnnouncing{0};
    std::atomic<uint32_t> processingThread{0};
    std::atomic<uint64_t> threadsCalled{0}; // a bit per thread number; 64 and above share one
    std::atomic<float> sampleRate{0.0f};
    std::atomic<int32_t> eventsMaxDelta{-1}; // the latest events' furthest deltaFrames
    std::atomic<double> tickRate{0.0};
    std::atomic<bool> worstBusy{false};
    // The record as last seen, and the latency and channels last announced to the host.
    std::atomic<bool> factsKnown{false};
    std::atomic<int32_t> flags{0};
    std::atomic<int32_t> numPrograms{0};
    std::atomic<int32_t> numParams{0};
    std::atomic<int32_t> delayNow{0};
    std::atomic<int32_t> inputsNow{0};
    std::atomic<int32_t> outputsNow{0};
    std::atomic<int32_t> delayAnnounced{0};
    std::atomic<int32_t> inputsAnnounced{0};
    std::atomic<int32_t> outputsAnnounced{0};
    std::atomic<bool> changePending{false};
};
} // namespace rules
