// The module's exported entry point and the records it hands out.
#pragma once

#include "logger/OXLogger.h"
#include "vst/VstInterface.h"

#include <atomic>

// The hosted plug-in's own record; null while nothing is hosted. Read by every forwarding
// thread, written only in main_macho and after "Close", when the host makes no other call.
extern std::atomic<AEffect*> vstEffect;
// The host's callback, handed on to by proxyAudioMaster.
extern std::atomic<audioMasterCallback> vstAudioMaster;
// The record handed to the host. The monitor window reads it without a lock.
extern AEffect proxyEffect;
// The logger of the one hosted plug-in.
extern OXLogger oxLogger;

// One hosted plug-in per loaded Oplexa module: a second call while one is hosted gets null.
extern "C" __attribute__((visibility("default"))) AEffect*
VSTPluginMain(audioMasterCallback audioMaster);
extern "C" __attribute__((visibility("default"))) AEffect*
main_macho(audioMasterCallback audioMaster);
