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

    // Next block of the test signal into the inputs; outputs cleared, because process adds.
    void prepare(int64_t firstFrame, double sampleRate, int variant = 0);

    float** inputs() { return inputPointers_.data(); }
    float** outputs() { return outputPointers_.data(); }
    int32_t frames() const { return frames_; }

    bool writeOutputs(FILE* file) const;
    // FNV-1a over the output bytes so far, for the report.
    uint64_t outputHash() const { return outputHash_; }
    void hashOutputs();

private:
    static bool writeChannels(const std::vector<std::vector<float>>& channels, FILE* file);

    int32_t frames_;
    std::vector<std::vector<float>> inputChannels_;
    std::vector<std::vector<float>> outputChannels_;
    std::vector<float*> inputPointers_;
    std::vector<float*> outputPointers_;
    uint64_t outputHash_ = kFnvOffset;
};
} // namespace host
