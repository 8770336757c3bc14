// The elapsed-time wording of the control panel's time button and of its reset message.
#pragma once

#include <juce_core/juce_core.h>

// "1 min 15 secs", "1 hr 2 mins", "250 ms", "0" below a millisecond; at most two units after
// the weeks and days, English only.
juce::String elapsedTimeText(juce::RelativeTime elapsed);
