#include "tools/host/AudioBuffers.h"

#include "tools/host/TestSignal.h"

#include <algorithm>

namespace host
{
AudioBuffers::AudioBuffers(int inputs, int outputs, int32_t frames)
    : frameCount(frames), inputChannels(static_cast<size_t>(inputs)),
      outputChannels(static_cast<size_t>(outputs))
{
    for (auto& channel : inputChannels)
        channel.assign(static_cast<size_t>(frames), 0.0f);
    for (auto& channel : outputChannels)
        channel.assign(static_cast<size_t>(frames), 0.0f);
    for (auto& channel : inputChannels)
        inputPointers.push_back(channel.data());
    for (auto& channel : outputChannels)
        outputPointers.push_back(channel.data());
    // Plug-ins without inputs or outputs still get a valid array to index.
    inputPointers.push_back(nullptr);
    outputPointers.push_back(nullptr);
}

void AudioBuffers::prepare(int64_t firstFrame, double sampleRate, int variant, bool dirty)
{
    for (size_t c = 0; c < inputChannels.size(); ++c)
        fillTestSignal(inputChannels[c].data(), frameCount, static_cast<int>(c), firstFrame,
                       sampleRate, variant);
    for (size_t c = 0; c < outputChannels.size(); ++c)
        if (dirty)
            fillTestSignal(outputChannels[c].data(), frameCount,
                           static_cast<int>(inputChannels.size() + c), firstFrame, sampleRate,
                           variant);
        else
            std::fill(outputChannels[c].begin(), outputChannels[c].end(), 0.0f);
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
    return writeChannels(outputChannels, file);
}

void AudioBuffers::hashOutputs()
{
    for (const auto& channel : outputChannels)
        outputHashSoFar = fnv1a(channel.data(), channel.size() * sizeof(float), outputHashSoFar);
}
} // namespace host
