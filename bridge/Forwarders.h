// The forwarders that fill the proxy record, and the one behind every callback handed to a
// hosted plug-in.
#pragma once

#include "vst/VstInterface.h"

class Session;

VstIntPtr proxyDispatcher(AEffect* effect, int32_t opcode, int32_t index, VstIntPtr value,
                          void* ptr, float opt);
void proxyProcess(AEffect* effect, float** inputs, float** outputs, int32_t sampleFrames);
void proxyProcessReplacing(AEffect* effect, float** inputs, float** outputs, int32_t sampleFrames);
void proxyProcessDoubleReplacing(AEffect* effect, double** inputs, double** outputs,
                                 int32_t sampleFrames);
void proxySetParameter(AEffect* effect, int32_t index, float value);
float proxyGetParameter(AEffect* effect, int32_t index);
VstIntPtr forwardCallback(Session& session, AEffect* effect, int32_t opcode, int32_t index,
                          VstIntPtr value, void* ptr, float opt);
