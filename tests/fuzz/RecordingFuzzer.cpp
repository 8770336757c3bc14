// Any bytes as a recording: the reader and the replay's arrangement of what it read must end
// cleanly, never crash, hang or read out of bounds.
#include "logger/RecordReader.h"
#include "tools/host/ReplayScript.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    recfmt::Recording recording;
    recfmt::readRecording(data, size, recording);
    host::ReplayScript script;
    host::buildScript(recording, script);
    return 0;
}
