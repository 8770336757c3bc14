// The deterministic input signal: a sine per channel plus a little pseudo-random noise,
// the same on every run and every machine.
#pragma once

#include <cstdint>

namespace host
{
// Fills frames samples of channel, starting at the absolute frame index firstFrame.
void fillTestSignal(float* samples, int32_t frames, int channel, int64_t firstFrame,
                    double sampleRate);
} // namespace host
