// The host's audioMaster callback and the state it answers from.
#pragma once

#include "vst/VstInterface.h"

#include <atomic>

namespace host
{
struct HostState
{
    double sampleRate = 44100.0;
    int32_t blockSize = 512;
    VstTimeInfo timeInfo{};
    // The record the entry point returned; null before it returned and after Close.
    std::atomic<AEffect*> effect{nullptr};
    std::atomic<long> calls{0};
};

HostState& hostState();

// Moves the transport to samplePosition; called between blocks on the processing thread.
void advanceTime(double samplePosition);

// Marks the calling thread as the audio thread for audioMasterGetCurrentProcessLevel.
class RealtimeScope
{
public:
    RealtimeScope();
    ~RealtimeScope();
    RealtimeScope(const RealtimeScope&) = delete;
    RealtimeScope& operator=(const RealtimeScope&) = delete;
};

// Runs action(context) once, from inside the next callback the plug-in makes on the calling thread,
// before it is answered: a call of the host's held open while another thread calls. Disarmed by
// endHold, which says whether it ran.
using HeldAction = void (*)(void* context);
void holdNextCallback(HeldAction action, void* context);
bool endHold();

VstIntPtr hostAudioMaster(AEffect* effect, int32_t opcode, int32_t index, VstIntPtr value,
                          void* ptr, float opt);
} // namespace host
