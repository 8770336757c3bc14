// The audio part of a session: blocks of the test signal through the plug-in.
#pragma once

#include "record/RecordFormat.h"
#include "tools/host/HostOptions.h"
#include "tools/host/PluginCaller.h"
#include "tools/host/SessionReport.h"

#include <cstdio>

namespace host
{
// As many as a recording keeps.
constexpr int kMaxChannels = static_cast<int>(recordFormat::kMaxChannels);

// Returns false when the audio file could not be written.
bool processBlocks(PluginCaller& plugin, const HostOptions& options, int inputs, int outputs,
                   FILE* audio, SessionReport& report);

// Sets every parameter to 0, then 0.5, then 1, with a block processed after each round.
void sweepParameters(PluginCaller& plugin, const HostOptions& options, int inputs, int outputs,
                     int params);
} // namespace host
