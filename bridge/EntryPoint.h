// The module's exported entry point: one session per call, one hosted plug-in at a time.
#pragma once

#include "vst/VstInterface.h"

extern "C" __attribute__((visibility("default"))) AEffect*
VSTPluginMain(audioMasterCallback audioMaster);
extern "C" __attribute__((visibility("default"))) AEffect*
main_macho(audioMasterCallback audioMaster);
