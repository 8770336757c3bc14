#include "tools/host/AudioMaster.h"

#include "tools/host/HostLog.h"
#include "tools/host/HostOpcodes.h"
#include "tools/host/RecordFields.h"
#include "vst/VstStructures.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

namespace host
{
namespace
{
thread_local bool inRealtimeCall = false;

// What holdNextCallback armed; the action runs on the arming thread only, once.
struct Hold
{
    std::atomic<HeldAction> action{nullptr};
    void* context = nullptr;
    std::thread::id thread;
    std::atomic<bool> ran{false};
};
Hold hold;

void runHeldAction()
{
    if (hold.action.load(std::memory_order_acquire) == nullptr ||
        std::this_thread::get_id() != hold.thread)
        return;
    if (const HeldAction action = hold.action.exchange(nullptr))
    {
        action(hold.context);
        hold.ran.store(true);
    }
}

constexpr double kTempo = 120.0;
constexpr size_t kMaxHostString = 64;

// Host capabilities this host really has.
bool hostCanDo(const char* what)
{
    static const char* const kCan[] = {"sendVstTimeInfo", "startStopProcess"};
    for (const char* can : kCan)
        if (std::strcmp(what, can) == 0)
            return true;
    return false;
}

VstIntPtr answer(int32_t opcode, void* ptr, std::string& note)
{
    HostState& state = hostState();
    switch (opcode)
    {
    case audioMasterVersion:
        return kHostVstVersion;
    case audioMasterGetTime:
        return reinterpret_cast<VstIntPtr>(&state.timeInfo);
    case audioMasterGetSampleRate:
        return static_cast<VstIntPtr>(state.sampleRate);
    case audioMasterGetBlockSize:
        return state.blockSize;
    case audioMasterGetCurrentProcessLevel:
        return inRealtimeCall ? kProcessLevelRealtime : kProcessLevelUser;
    case audioMasterGetAutomationState:
        return kAutomationOff;
    case audioMasterGetLanguage:
        return 1; // English
    case audioMasterGetVendorVersion:
        return kHostVendorVersion;
    case audioMasterGetVendorString:
    case audioMasterGetProductString:
    {
        if (ptr == nullptr)
            return 0;
        const char* text = opcode == audioMasterGetVendorString ? kHostVendor : kHostProduct;
        std::snprintf(static_cast<char*>(ptr), kMaxHostString, "%s", text);
        note = " " + quoted(text, kMaxHostString);
        return 1;
    }
    case audioMasterIOChanged:
        // A DAW re-reads the record here.
        recordFields().ioChanged(state.effect.load());
        return 0;
    case audioMasterCanDo:
    {
        if (ptr == nullptr)
            return 0;
        const auto* what = static_cast<const char*>(ptr);
        note = " " + quoted(what, 256);
        return hostCanDo(what) ? 1 : 0;
    }
    default:
        // Automate, Idle, SizeWindow, BeginEdit, EndEdit and the rest: nothing to do.
        return 0;
    }
}
} // namespace

HostState& hostState()
{
    static HostState state;
    return state;
}

void advanceTime(double samplePosition)
{
    HostState& state = hostState();
    VstTimeInfo& info = state.timeInfo;
    info.samplePos = samplePosition;
    info.sampleRate = state.sampleRate;
    // Derived from the position, not the clock, so every run sees the same values.
    info.nanoSeconds = samplePosition / state.sampleRate * 1e9;
    info.ppqPos = samplePosition / state.sampleRate * kTempo / 60.0;
    info.tempo = kTempo;
    info.barStartPos = std::floor(info.ppqPos / 4.0) * 4.0;
    info.cycleStartPos = 0.0;
    info.cycleEndPos = 0.0;
    info.timeSigNumerator = 4;
    info.timeSigDenominator = 4;
    info.smpteOffset = 0;
    info.smpteFrameRate = 0;
    info.samplesToNextClock = 0;
    info.flags = kVstTransportPlaying | kVstNanosValid | kVstPpqPosValid | kVstTempoValid |
                 kVstBarsValid | kVstTimeSigValid;
}

RealtimeScope::RealtimeScope()
{
    inRealtimeCall = true;
}

RealtimeScope::~RealtimeScope()
{
    inRealtimeCall = false;
}

void holdNextCallback(HeldAction action, void* context)
{
    hold.context = context;
    hold.thread = std::this_thread::get_id();
    hold.ran.store(false);
    hold.action.store(action, std::memory_order_release);
}

bool endHold()
{
    hold.action.store(nullptr);
    return hold.ran.load();
}

VstIntPtr hostAudioMaster(AEffect* effect, int32_t opcode, int32_t index, VstIntPtr value,
                          void* ptr, float opt)
{
    runHeldAction();
    hostState().calls.fetch_add(1, std::memory_order_relaxed);
    std::string note;
    const VstIntPtr result = answer(opcode, ptr, note);
    const AEffect* known = hostState().effect.load();
    const char* whose = effect == nullptr ? "null" : (effect == known ? "record" : "other");
    hostLog().line("audioMaster(effect=%p %s, opcode=%d %s, index=%d, value=%ld, ptr=%p, opt=%g)"
                   " -> %ld%s",
                   static_cast<void*>(effect), whose, opcode, audioMasterOpcodeName(opcode), index,
                   static_cast<long>(value), ptr, static_cast<double>(opt),
                   static_cast<long>(result), note.c_str());
    return result;
}
} // namespace host
