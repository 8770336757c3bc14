#include "tools/host/TestSignal.h"

#include <cmath>

namespace host
{
namespace
{
// Keeps the noise of one variant's channels apart from the next variant's.
constexpr int kMaxVariantChannels = 1024;

// Noise from the frame index alone, so a block's input does not depend on earlier blocks.
float noiseAt(int64_t frame, int channel)
{
    uint32_t x = static_cast<uint32_t>(frame) * 2654435761u ^ static_cast<uint32_t>(channel + 1);
    x ^= x >> 16;
    x *= 0x7feb352du;
    x ^= x >> 15;
    x *= 0x846ca68bu;
    x ^= x >> 16;
    return static_cast<float>(static_cast<double>(x) / 4294967295.0 * 2.0 - 1.0);
}
} // namespace

void fillTestSignal(float* samples, int32_t frames, int channel, int64_t firstFrame,
                    double sampleRate, int variant)
{
    const double frequency = 220.0 * (channel + 1) + 55.0 * variant;
    const double twoPi = 6.283185307179586;
    for (int32_t i = 0; i < frames; ++i)
    {
        const int64_t frame = firstFrame + i;
        // fmod keeps the phase small, so long runs stay as exact as short ones.
        const double phase = std::fmod(static_cast<double>(frame) * frequency / sampleRate, 1.0);
        const double sine = 0.5 * std::sin(twoPi * phase);
        samples[i] = static_cast<float>(sine) +
                     0.01f * noiseAt(frame, channel + kMaxVariantChannels * variant);
    }
}
} // namespace host
