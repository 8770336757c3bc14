// The module's exported entry points: one session per call.
#pragma once

#include "vst/VstInterface.h"

extern "C" __attribute__((visibility("default"))) AEffect*
VSTPluginMain(audioMasterCallback audioMaster);
extern "C" __attribute__((visibility("default"))) AEffect*
main_macho(audioMasterCallback audioMaster);
// The entry point of a wrapper made by `oplexa wrap`, called with the wrapper's own path.
extern "C" __attribute__((visibility("default"))) AEffect*
oplexa_wrapper_main_v1(audioMasterCallback audioMaster, const char* wrapperPath);
// Called by a wrapper as the host unloads it.
extern "C" __attribute__((visibility("default"))) void
oplexa_wrapper_unloading_v1(const char* wrapperPath);
