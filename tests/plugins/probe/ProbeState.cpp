#include "tests/plugins/probe/ProbeState.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace probe
{
namespace
{
constexpr int32_t kProbeId = ('O' << 24) | ('x' << 16) | ('P' << 8) | 'b';

float defaultParam(int index)
{
    switch (index)
    {
    case 0:
        return 0.5f; // the gain process applies
    case 1:
        return 0.25f;
    case 2:
        return 0.75f;
    default:
        return 0.0f;
    }
}

std::string defaultProgramName(size_t index)
{
    return "Probe Program " + std::to_string(index);
}

// The plug-in as a new instance has it: default parameters, program 0, default names.
void resetModel(ProbeState& s)
{
    for (int i = 0; i < kMaxParams; ++i)
        s.params[static_cast<size_t>(i)].store(defaultParam(i));
    s.currentProgram = 0;
    s.programNames.clear();
    for (size_t i = 0; i < static_cast<size_t>(kMaxPrograms); ++i)
        s.programNames.push_back(defaultProgramName(i));
}
} // namespace

ProbeState::ProbeState()
{
    shape = defaultShape();
    for (auto& count : dispatchCounts)
        count.store(0);
    for (size_t f = 0; f < kProbeNumFunctions; ++f)
    {
        functionCounts[f].store(0);
        foreignCounts[f].store(0);
        lastEffects[f].store(nullptr);
    }
    resetModel(*this);
}

ProbeState::~ProbeState()
{
    endLateCallback();
    unloadSequence.store(nextSequence());
    writeReportFile("unload");
}

void ProbeState::reset()
{
    std::lock_guard<std::mutex> lock(mutex);
    entryMode = kProbeEntryNormal;
    shape = defaultShape();
    masterCalls.clear();
    for (auto& text : texts)
        text.reset();
    for (auto& result : results)
        result.reset();
    rect = ERect{0, 0, 200, 300};
    nullRect = false;
    for (auto& fill : fills)
        fill.clear();
    reportPath.clear();
    environmentRead = false;
    alwaysDouble = false;
    misbehaviour = Misbehaviour{};

    std::memset(&record, 0, sizeof(record));
    audioMaster.store(nullptr);
    entryName.clear();
    resetModel(*this);
    chunkOut.clear();
    chunkIn.clear();

    sequence.store(0);
    for (auto& count : dispatchCounts)
        count.store(0);
    for (size_t f = 0; f < kProbeNumFunctions; ++f)
    {
        functionCounts[f].store(0);
        foreignCounts[f].store(0);
        lastEffects[f].store(nullptr);
    }
    for (auto& call : lastDispatch)
        call = ProbeDispatchCall{};
    for (auto& call : lastProcess)
        call = ProbeProcessCall{};
    for (auto& call : lastParameter)
        call = ProbeParameterCall{};
    answers.clear();
    answerTotal.store(0);
    open.store(false);
    closed.store(false);
    closeSequence.store(0);
    callsAfterClose.store(0);
}

ProbeState& state()
{
    static ProbeState instance;
    return instance;
}

uint64_t nextSequence()
{
    return state().sequence.fetch_add(1) + 1;
}

ProbeShape defaultShape()
{
    ProbeShape shape{};
    shape.numPrograms = 2;
    shape.numParams = 3;
    shape.numInputs = 2;
    shape.numOutputs = 2;
    shape.flags = effFlagsHasEditor | effFlagsCanReplacing | effFlagsProgramChunks;
    shape.uniqueID = kProbeId;
    shape.version = 1100;
    shape.initialDelay = 0;
    return shape;
}

void applyShape(const ProbeShape& shape)
{
    AEffect& record = state().record;
    record.numPrograms = shape.numPrograms;
    record.numParams = shape.numParams;
    record.numInputs = shape.numInputs;
    record.numOutputs = shape.numOutputs;
    record.flags = shape.flags;
    record.uniqueID = shape.uniqueID;
    record.version = shape.version;
    record.initialDelay = shape.initialDelay;
    record.processDoubleReplacing =
        (shape.flags & effFlagsCanDoubleReplacing) != 0 || state().alwaysDouble
            ? processDoubleReplacing
            : nullptr;
}

void fillRecord(int32_t magic)
{
    ProbeState& s = state();
    std::memset(&s.record, 0, sizeof(s.record));
    s.record.magic = magic;
    s.record.dispatcher = dispatcher;
    s.record.process = process;
    s.record.setParameter = setParameter;
    s.record.getParameter = getParameter;
    s.record.processReplacing = processReplacing;
    s.record.ioRatio = 1.0f;
    s.record.object = &s;
    applyShape(s.shape);
}

void noteCall(int32_t function, AEffect* effect)
{
    ProbeState& s = state();
    const auto f = static_cast<size_t>(function);
    s.functionCounts[f].fetch_add(1);
    s.lastEffects[f].store(effect);
    if (effect != &s.record)
        s.foreignCounts[f].fetch_add(1);
    if (!s.closed.load())
        return;
    s.callsAfterClose.fetch_add(1);
    if (s.misbehaviour.abortAfterClose)
    {
        std::fprintf(stderr, "probe: a call of function %d arrived after Close\n", function);
        std::abort();
    }
}

void makeMasterCalls(int32_t when)
{
    ProbeState& s = state();
    const audioMasterCallback master = s.audioMaster.load();
    if (master == nullptr)
        return;
    std::vector<MasterCallRequest> requests;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        for (const auto& request : s.masterCalls)
            if (request.call.when == when)
                requests.push_back(request);
    }
    // The callback may call back into the probe, so no lock is held across it.
    for (const auto& request : requests)
    {
        const ProbeMasterCall& call = request.call;
        std::vector<char> buffer;
        void* ptr = nullptr;
        if (call.bufferSize > 0)
        {
            buffer.assign(static_cast<size_t>(call.bufferSize), '\0');
            ptr = buffer.data();
        }
        else if (request.hasText)
        {
            buffer.assign(request.text.begin(), request.text.end());
            buffer.push_back('\0');
            ptr = buffer.data();
        }
        else
            ptr = call.pointer;
        AEffect* effect = call.passNullEffect != 0 ? nullptr : &s.record;
        const VstIntPtr result = master(effect, call.opcode, call.index, call.value, ptr, call.opt);

        ProbeMasterAnswer answer{};
        answer.when = when;
        answer.opcode = call.opcode;
        answer.effectPassed = effect;
        answer.result = result;
        answer.sequence = nextSequence();
        if (call.bufferSize > 0)
        {
            buffer.back() = '\0';
            copyText(answer.text, buffer.data());
        }
        std::lock_guard<std::mutex> lock(s.mutex);
        if (s.answers.size() < kMaxAnswers)
            s.answers.push_back(answer);
        s.answerTotal.fetch_add(1);
    }
}

int dispatchSlot(int32_t opcode)
{
    return opcode >= 0 && opcode <= kProbeMaxOpcode ? opcode : kOtherOpcodeSlot;
}

void copyText(char (&target)[kProbeTextSize], const char* text)
{
    std::memset(target, 0, sizeof(target));
    if (text != nullptr)
        std::strncpy(target, text, sizeof(target) - 1);
}

AEffect* enter(audioMasterCallback audioMaster, const char* entryName)
{
    readEnvironment();
    ProbeState& s = state();
    int32_t mode = kProbeEntryNormal;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        s.entryName = entryName;
        mode = s.entryMode;
        resetModel(s);
        fillRecord(mode == kProbeEntryBadMagic ? 0x0badf00d : kEffectMagic);
    }
    s.audioMaster.store(audioMaster);
    s.functionCounts[kProbeEntry].fetch_add(1);
    s.open.store(false);
    s.closed.store(false);
    s.closeSequence.store(0);
    makeMasterCalls(kProbeAtEntry);
    if (mode == kProbeEntryThrow)
        throw std::runtime_error("the probe's entry point throws");
    if (mode == kProbeEntryThrowOwn)
        throwOwnError();
    return mode == kProbeEntryNull ? nullptr : &s.record;
}
} // namespace probe
