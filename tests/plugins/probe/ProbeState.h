// The probe's whole state: what the test configured, the plug-in it plays, and what it saw.
// One instance per loaded module; everything not atomic is guarded by mutex.
#pragma once

#include "tests/plugins/probe/ProbeControl.h"

#include <array>
#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace probe
{
constexpr int kMaxParams = 256;
constexpr int kMaxPrograms = 128;
constexpr size_t kMaxAnswers = 1024;
constexpr size_t kMaxMasterCalls = 64;
// Slot for dispatcher opcodes above kProbeMaxOpcode or below zero.
constexpr int kOtherOpcodeSlot = kProbeMaxOpcode + 1;

struct MasterCallRequest
{
    ProbeMasterCall call;
    std::string text; // owned copy of call.text
    bool hasText = false;
};

// OPLEXA_PROBE_BREAK: the plug-in-side protocol rule the probe breaks (ProbeBreaks.cpp).
enum class ProbeBreak : uint8_t
{
    none,
    textTooLong,
    parameterOutOfRange,
    outputNotFinite,
    outputDenormal,
    latencyChangeUnannounced,
    blockingCallbackInProcess,
    displayUpdateInProcess,
    callbackAfterClose,
    chunkInconsistent,
    replacingNotFlagged,
};

// Switches that make the probe misbehave on purpose, for the tests of hard endings.
struct Misbehaviour
{
    int32_t processSleepMs = 0; // process and processReplacing take this long
    int32_t closeSleepMs = 0;   // and Close this long
    bool worker = false;        // a thread of the probe's own runs from Open to Close
    bool abortAfterClose = false;
    int32_t hangOpcode = -1;  // this dispatcher opcode never returns
    int32_t crashOpcode = -1; // this one crashes the process
    bool crashWithAbort = false;
    bool crashWithThrow = false;  // throws the probe's own type instead
    int32_t processDelay = -1;    // process sets the record's initialDelay to this
    int32_t unwrittenOutput = -1; // process leaves this output as the host gave it
    ProbeBreak breaks = ProbeBreak::none;
};

struct ProbeState
{
    ProbeState();
    ~ProbeState(); // writes the report file a last time: the module is being unloaded

    std::mutex mutex;

    // Configuration.
    int32_t entryMode = kProbeEntryNormal;
    ProbeShape shape{};
    std::vector<MasterCallRequest> masterCalls;
    std::array<std::optional<std::string>, kProbeMaxOpcode + 1> texts;
    std::array<std::optional<VstIntPtr>, kProbeMaxOpcode + 1> results;
    ERect rect{0, 0, 200, 300};
    bool nullRect = false;
    std::array<std::vector<unsigned char>, kProbeMaxOpcode + 1> fills;
    std::string reportPath;
    bool environmentRead = false;
    bool alwaysDouble = false; // processDoubleReplacing in the record whatever the flags say
    Misbehaviour misbehaviour;

    // The plug-in.
    AEffect record{};
    std::atomic<audioMasterCallback> audioMaster{nullptr};
    std::string entryName;
    std::array<std::atomic<float>, kMaxParams> params;
    int32_t currentProgram = 0;
    std::vector<std::string> programNames;
    std::vector<unsigned char> chunkOut;
    std::vector<unsigned char> chunkIn;

    // Observations.
    std::atomic<uint64_t> sequence{0};
    std::array<std::atomic<int64_t>, kProbeMaxOpcode + 2> dispatchCounts;
    std::array<std::atomic<int64_t>, kProbeNumFunctions> functionCounts;
    std::array<std::atomic<int64_t>, kProbeNumFunctions> foreignCounts;
    std::array<std::atomic<AEffect*>, kProbeNumFunctions> lastEffects;
    std::array<ProbeDispatchCall, kProbeMaxOpcode + 2> lastDispatch{};
    ProbeProcessCall lastProcess[2]{};     // process, processReplacing
    ProbeParameterCall lastParameter[2]{}; // setParameter, getParameter
    std::vector<ProbeMasterAnswer> answers;
    std::atomic<int32_t> answerTotal{0};
    std::atomic<bool> open{false};
    std::atomic<bool> closed{false};
    std::atomic<uint64_t> closeSequence{0};
    std::atomic<uint64_t> unloadSequence{0};
    std::atomic<int64_t> callsAfterClose{0};

    // Back to the state of a freshly loaded module; takes the mutex itself.
    void reset();
};

ProbeState& state();

uint64_t nextSequence();
ProbeShape defaultShape();
// Puts shape into the live record (counts, flags, id, version, delay).
void applyShape(const ProbeShape& shape);
void fillRecord(int32_t magic);

// Counts a call of function and notes its effect pointer and calls after Close.
void noteCall(int32_t function, AEffect* effect);
// Makes the configured audioMaster calls for when; effect is what the caller was given.
void makeMasterCalls(int32_t when);

int dispatchSlot(int32_t opcode);
void copyText(char (&target)[kProbeTextSize], const char* text);

// The misbehaviour switches' effects: slow calls, a delay changed in process, the worker thread, a
// hang or a crash.
void misbehaveInProcess();
void misbehaveInDispatcher(int32_t opcode);

// OPLEXA_PROBE_BREAK=id into s's configuration (its mutex held); false for an unknown id.
bool readBreak(ProbeState& s, const std::string& id);
// The breaks made in a process call (in the first after each Open), in getParameter (the value
// it returns), in GetChunk (true: it hands out a null pointer) and in the dispatcher.
void breakInProcess(float** outputs, int32_t frames);
float breakInGetParameter(int32_t index, float value);
bool breakInGetChunk();
void breakInDispatcher(int32_t opcode);
// The late callback of callback-after-close, made while the module is unloaded.
void endLateCallback();
[[noreturn]] void throwOwnError();

// Reads the OPLEXA_PROBE_* variables once per load or reset.
void readEnvironment();
// Writes the state summary to the report path, if one is set.
void writeReportFile(const char* reason);

// The record's functions.
VstIntPtr dispatcher(AEffect* effect, int32_t opcode, int32_t index, VstIntPtr value, void* ptr,
                     float opt);
void process(AEffect* effect, float** inputs, float** outputs, int32_t sampleFrames);
void processReplacing(AEffect* effect, float** inputs, float** outputs, int32_t sampleFrames);
void processDoubleReplacing(AEffect* effect, double** inputs, double** outputs,
                            int32_t sampleFrames);
void setParameter(AEffect* effect, int32_t index, float value);
float getParameter(AEffect* effect, int32_t index);

// What every exported entry point does.
AEffect* enter(audioMasterCallback audioMaster, const char* entryName);
} // namespace probe
