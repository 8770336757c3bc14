// oplexa-host --replay FILE [PLUGIN.so].
#pragma once

#include "tools/host/HostOptions.h"

#include <cstdio>

namespace host
{
HostExitCode replayRecording(const HostOptions& options, FILE* audio);
} // namespace host
