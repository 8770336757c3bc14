// oplexa-host --print FILE: a recording as Oplexa's log lines.
#pragma once

#include "record/RecordReader.h"
#include "tools/host/HostOptions.h"

#include <cstdio>
#include <string>

namespace host
{
HostExitCode printRecording(const HostOptions& options);
// A recorded thread as the printed lines name it, with a role it had: "t2 audio".
std::string threadName(uint32_t thread, uint64_t role);
// The records' lines, as far as they were read.
void printRecords(const recordFormat::Recording& recording, FILE* out);
} // namespace host
