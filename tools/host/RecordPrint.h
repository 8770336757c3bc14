// oplexa-host --print FILE: a recording as Oplexa's log lines.
#pragma once

#include "record/RecordReader.h"
#include "tools/host/HostOptions.h"

#include <cstdio>

namespace host
{
HostExitCode printRecording(const HostOptions& options);
// The records' lines, as far as they were read.
void printRecords(const recordFormat::Recording& recording, FILE* out);
} // namespace host
