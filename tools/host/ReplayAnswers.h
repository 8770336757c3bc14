// The audioMaster callback during a replay: each call the plug-in makes is answered with the
// recorded result and data of the same call on the same recorded thread; a call the recording
// does not have there gets oplexa-host's own answer and is counted for the report.
#pragma once

#include "tools/host/ReplayScript.h"
#include "vst/VstInterface.h"

#include <mutex>
#include <string>

namespace host
{
// What the calling replay thread stands for; null on the plug-in's own threads.
struct ReplayThread
{
    uint32_t recorded = 0;
    HostCall* current = nullptr;
    size_t cursor = 0;
    size_t looseCursor = 0;
};

void setReplayScript(ReplayScript* script) noexcept;
void setReplayThread(ReplayThread* thread) noexcept;
// Held while the script reads on: the plug-in's threads look their callbacks up in it.
std::mutex& scriptLock() noexcept;
VstIntPtr replayAudioMaster(AEffect* effect, int32_t opcode, int32_t index, VstIntPtr value,
                            void* ptr, float opt);
// "audioMasterIdle x3, ..." for the calls answered without the recording; empty when none.
std::string unrecordedCallbacks();
} // namespace host
