// The audio part of a session: blocks of the test signal through the plug-in.
#pragma once

#include "tools/host/HostOptions.h"
#include "tools/host/PluginCaller.h"
#include "tools/host/SessionReport.h"

#include <cstdio>

namespace host
{
// Past the channels a recording keeps, to record a session with more.
constexpr int kMaxChannels = 4096;

// Returns false when the audio file could not be written.
bool processBlocks(PluginCaller& plugin, const HostOptions& options, int inputs, int outputs,
                   FILE* audio, SessionReport& report);

// Sets every parameter to 0, then 0.5, then 1, with a block processed after each round.
void sweepParameters(PluginCaller& plugin, const HostOptions& options, int inputs, int outputs,
                     int params);
} // namespace host
