// Several instances hosted at once through one loaded module, as a DAW with the same plug-in
// on many tracks: one entry-point call each, blocks processed by turns, then Close in reverse
// or in a random order that can be picked again by its number.
#pragma once

#include "tools/host/HostOptions.h"

#include "vst/VstInterface.h"

namespace host
{
// options.instances instances, each with its own input signal and parameter values; instance k
// (from 1) writes its audio to options.audioPath + ".k". Returns kExitOk or the first failure.
HostExitCode runInstances(VstPluginMainProc entry, const char* entryName,
                          const HostOptions& options);
} // namespace host
