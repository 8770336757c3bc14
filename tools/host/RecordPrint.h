// oplexa-host --print FILE: a recording as Oplexa's log lines.
#pragma once

#include "record/RecordReader.h"
#include "tools/host/HostOptions.h"
#include "vst/OpCodeInfo.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace host
{
HostExitCode printRecording(const HostOptions& options);
// A recorded thread as the printed lines name it, with a role it had: "t2 audio".
std::string threadName(uint32_t thread, uint64_t role);
// The records' lines, as far as they were read.
void printRecords(const recordFormat::Recording& recording, FILE* out);

// How the printout names the recorded plug-in: its file's name, "#2" after it from the second
// instance on.
std::string recordedName(const recordFormat::Header& header);
// How the printout names a recorded thread with its role, "t2 audio"; the text's length.
int threadLabel(char* out, size_t size, uint32_t thread, uint8_t role);
// Where the printout shows a number in hex rather than as the log does: audioMasterGetTime's
// filter, and a result that is an address.
bool valueIsFlags(VstFunctionIndex function, int32_t opcode);
bool resultIsPointer(VstFunctionIndex function, const VstOpCodeInfo& info);
} // namespace host
