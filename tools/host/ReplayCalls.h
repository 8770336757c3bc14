// Makes one recorded host call on the plug-in with the recorded data and compares what comes
// back (result, texts, chunk, parameter value, outputs) with the recording.
#pragma once

#include "tools/host/ReplayScript.h"
#include "vst/VstInterface.h"

#include <cstdio>
#include <string>

namespace host
{
class ReplayCaller
{
public:
    ReplayCaller(AEffect* effect, FILE* audio, bool fullOutputs)
        : effect_(effect), audio_(audio), fullOutputs_(fullOutputs)
    {
    }

    // Empty when the call matched its recording, else what differs.
    std::string make(const HostCall& call);
    bool closed() const { return closed_; }
    bool audioWritten() const { return audioWritten_; }

private:
    std::string dispatch(const HostCall& call);
    std::string process(const HostCall& call);
    std::string parameter(const HostCall& call);
    std::string compareOutputs(const HostCall& call, void* const* outputs, size_t channelBytes,
                               size_t sampleBytes);

    AEffect* effect_;
    FILE* audio_;
    bool fullOutputs_;
    bool closed_ = false;
    bool audioWritten_ = true;
    int blocks_ = 0;
};
} // namespace host
