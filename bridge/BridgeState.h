// The bridge's module-lifetime state, shared by its few source files.
#pragma once

#include "bridge/Platform.h"
#include "bridge/VstInterface.h"

#include <juce_core/juce_core.h>

#include <atomic>

// The hosted plug-in's own record; null while nothing is hosted. Read by every forwarding
// thread, written only in main_macho and after "Close", when the host makes no other call.
extern std::atomic<AEffect*> vstEffect;
extern std::atomic<audioMasterCallback> vstAudioMaster;

extern platform::ModuleHandle vstBundle;
extern platform::ResourceRef bundleRes;
extern juce::String path;
extern juce::File lastDir;
extern juce::File dllPath;

// Start-up and shutdown.
void startOplexa();
void stopOplexa();

// Loading and releasing the hosted plug-in.
AEffect* loadVstPlugin(audioMasterCallback audioMaster);
VstPluginMainProc getVstPluginMain();
bool freeVstPlugin();
void unloadPlugin();
void getModuleFileName();

// The monitor window, created and destroyed on the message thread.
void openMonitorWindow();
void closeMonitorWindow();

// The forwarders that fill the proxy record and the callback handed to the hosted plug-in.
VstIntPtr proxyDispatcher(AEffect* effect, int32_t opcode, int32_t index, VstIntPtr value,
                          void* ptr, float opt);
void proxyProcess(AEffect* effect, float** inputs, float** outputs, int32_t sampleFrames);
void proxyProcessReplacing(AEffect* effect, float** inputs, float** outputs, int32_t sampleFrames);
void proxyProcessDoubleReplacing(AEffect* effect, double** inputs, double** outputs,
                                 int32_t sampleFrames);
void proxySetParameter(AEffect* effect, int32_t index, float value);
float proxyGetParameter(AEffect* effect, int32_t index);
VstIntPtr proxyAudioMaster(AEffect* effect, int32_t opcode, int32_t index, VstIntPtr value,
                           void* ptr, float opt);
