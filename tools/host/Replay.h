// oplexa-host --replay FILE [PLUGIN.so] and --print FILE.
#pragma once

#include "tools/host/HostOptions.h"

#include <cstdio>

namespace host
{
HostExitCode replayRecording(const HostOptions& options, FILE* audio);
HostExitCode printRecording(const HostOptions& options);
} // namespace host
