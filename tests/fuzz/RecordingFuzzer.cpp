// Any bytes as a recording: the reader, the replay's arrangement of what it read and the
// printout must end cleanly, never crash, hang or read out of bounds.
#include "logger/RecordReader.h"
#include "tools/host/RecordPrint.h"
#include "tools/host/ReplayScript.h"

#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    recfmt::Recording recording;
    recfmt::readRecording(data, size, recording);
    host::ReplayScript script;
    host::buildScript(recording, script);
    static FILE* const nowhere = std::fopen("/dev/null", "w");
    host::printRecords(recording, nowhere);
    return 0;
}
