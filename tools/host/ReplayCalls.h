// Makes one recorded host call on the plug-in with the recorded data and compares what comes
// back (result, texts, chunk, parameter value, outputs) with the recording.
#pragma once

#include "tools/host/ReplayScript.h"
#include "vst/VstInterface.h"

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace host
{
class ReplayCaller
{
public:
    ReplayCaller(AEffect* called, FILE* audioFile, bool outputsInFull)
        : effect(called), audio(audioFile), fullOutputs(outputsInFull)
    {
    }

    // Empty when the call matched its recording, else what differs.
    std::string make(const HostCall& call);
    bool closed() const { return wasClosed; }
    bool audioWritten() const { return wroteAudio; }
    // Per output channel, the blocks in which the plug-in did not write it.
    const std::map<int, int>& unwrittenChannels() const { return unwrittenBlocks; }

private:
    std::string dispatch(const HostCall& call);
    std::string process(const HostCall& call);
    std::string parameter(const HostCall& call);
    std::string compareOutputs(const HostCall& call, void* const* outputs,
                               const std::vector<bool>& compared, size_t channelBytes,
                               size_t sampleBytes);

    AEffect* effect;
    FILE* audio;
    bool fullOutputs;
    bool wasClosed = false;
    bool wroteAudio = true;
    int blocks = 0;
    std::map<int, int> unwrittenBlocks;
};
} // namespace host
