// Draws the two control-panel pictures; the build turns them into embedded PNG bytes.
#pragma once

#include <juce_graphics/juce_graphics.h>

constexpr int kLogoWidth = 181;
constexpr int kLogoHeight = 136;
constexpr int kDonateWidth = 72;
constexpr int kDonateHeight = 29;

// Transparent background, so the window's colour shows around the mark.
juce::Image drawLogo();
// Opaque: its corners are painted in the window's background colour.
juce::Image drawDonateBadge();
