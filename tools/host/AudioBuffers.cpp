#include "tools/host/AudioBuffers.h"

#include "tools/host/TestSignal.h"

#include <algorithm>

namespace host
{
AudioBuffers::AudioBuffers(int inputs, int outputs, int32_t frames)
    : frames_(frames), inputChannels_(static_cast<size_t>(inputs)),
      outputChannels_(static_cast<size_t>(outputs))
{
    for (auto& channel : inputChannels_)
        channel.assign(static_cast<size_t>(frames), 0.0f);
    for (auto& channel : outputChannels_)
        channel.assign(static_cast<size_t>(frames), 0.0f);
    for (auto& channel : inputChannels_)
        inputPointers_.push_back(channel.data());
    for (auto& channel : outputChannels_)
        outputPointers_.push_back(channel.data());
    // Plug-ins without inputs or outputs still get a valid array to index.
    inputPointers_.push_back(nullptr);
    outputPointers_.push_back(nullptr);
}

void AudioBuffers::prepare(int64_t firstFrame, double sampleRate, int variant)
{
    for (size_t c = 0; c < inputChannels_.size(); ++c)
        fillTestSignal(inputChannels_[c].data(), frames_, static_cast<int>(c), firstFrame,
                       sampleRate, variant);
    for (auto& channel : outputChannels_)
        std::fill(channel.begin(), channel.end(), 0.0f);
}

bool AudioBuffers::writeChannels(const std::vector<std::vector<float>>& channels, FILE* file)
{
    for (const auto& channel : channels)
        if (std::fwrite(channel.data(), sizeof(float), channel.size(), file) != channel.size())
            return false;
    return true;
}

bool AudioBuffers::writeOutputs(FILE* file) const
{
    return writeChannels(outputChannels_, file);
}

void AudioBuffers::hashOutputs()
{
    for (const auto& channel : outputChannels_)
        outputHash_ = fnv1a(channel.data(), channel.size() * sizeof(float), outputHash_);
}
} // namespace host
