// The AEffect page's read-only text: every shown field of the record, one per line.
#pragma once

#include "vst/VstInterface.h"

#include <juce_core/juce_core.h>

#include <cstdint>

struct FlagInfo
{
    uint32_t mask;
    const char* name;
};

constexpr int kNumFlagInfos = 11;
extern const FlagInfo flagInfos[kNumFlagInfos];

// Four characters from the most significant byte down, a zero byte as a blank.
juce::String long2Chars(long value);

juce::String describeAEffect(const AEffect& effect);
