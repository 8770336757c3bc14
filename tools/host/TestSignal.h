// The deterministic input signal: a sine per channel plus a little pseudo-random noise,
// the same on every run and every machine.
#pragma once

#include <cstdint>

namespace host
{
// Fills frames samples of channel, starting at the absolute frame index firstFrame. Each
// variant is another signal, so that instances hosted side by side get inputs of their own;
// variant 0 is the signal of a single session.
void fillTestSignal(float* samples, int32_t frames, int channel, int64_t firstFrame,
                    double sampleRate, int variant = 0);
} // namespace host
