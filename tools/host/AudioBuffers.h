// Input and output channels for one block, sized by the record's numInputs and numOutputs.
#pragma once

#include "tools/host/Fnv.h"

#include <cstdint>
#include <cstdio>
#include <vector>

namespace host
{
class AudioBuffers
{
public:
    AudioBuffers(int inputs, int outputs, int32_t frames);

    // Next block of the test signal into the inputs; outputs cleared, because process adds, or
    // dirty: holding a signal, as a host's scratch buffers can.
    void prepare(int64_t firstFrame, double sampleRate, int variant = 0, bool dirty = false);

    float** inputs() { return inputPointers.data(); }
    float** outputs() { return outputPointers.data(); }
    int32_t frames() const { return frameCount; }

    bool writeOutputs(FILE* file) const;
    // FNV-1a over the output bytes so far, for the report.
    uint64_t outputHash() const { return outputHashSoFar; }
    void hashOutputs();

private:
    static bool writeChannels(const std::vector<std::vector<float>>& channels, FILE* file);

    int32_t frameCount;
    std::vector<std::vector<float>> inputChannels;
    std::vector<std::vector<float>> outputChannels;
    std::vector<float*> inputPointers;
    std::vector<float*> outputPointers;
    uint64_t outputHashSoFar = kFnvOffset;
};
} // namespace host
