// One cycle: entry point, the whole session on the record it returned, and Close.
#pragma once

#include "tools/host/HostOptions.h"
#include "tools/host/SessionAudio.h"
#include "tools/host/SessionReport.h"

#include "vst/VstInterface.h"

namespace host
{
// Calls the entry point (with the races the options ask for); null with failure set when the
// record it returned is missing or unusable.
AEffect* callEntry(VstPluginMainProc entry, const char* entryName, const HostOptions& options,
                   HostExitCode& failure);

// Returns kExitOk or the exit code of the failure.
HostExitCode runSession(VstPluginMainProc entry, const char* entryName, const HostOptions& options,
                        FILE* audio, SessionReport& report);
} // namespace host
