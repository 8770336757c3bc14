// The audio part of a session: blocks of the test signal through the plug-in, and the
// threaded calls that run while it processes.
#pragma once

#include "tools/host/HostOptions.h"
#include "tools/host/PluginCaller.h"
#include "tools/host/SessionReport.h"

#include <cstdio>

namespace host
{
constexpr int kMaxChannels = 64;

struct AudioSinks
{
    FILE* outputs = nullptr;
    FILE* inputs = nullptr;
};

// Returns false when an audio file could not be written.
bool processBlocks(PluginCaller& plugin, const HostOptions& options, int inputs, int outputs,
                   const AudioSinks& sinks, SessionReport& report);

// options.threads threads call getParameter, setParameter (with the value just read) and
// GetVendorVersion while this thread keeps processing, until every thread is done.
void runConcurrentCalls(PluginCaller& plugin, const HostOptions& options, int params, int inputs,
                        int outputs, SessionReport& report);
} // namespace host
