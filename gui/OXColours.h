// The monitor window's palette; every constant is opaque and fixed for the module's lifetime.
#pragma once

#include <juce_graphics/juce_graphics.h>

extern const juce::Colour oxBackColor;
extern const juce::Colour oxButtonBackColor;
extern const juce::Colour oxButtonTextColor;
extern const juce::Colour oxButtonOutColor;

extern const juce::Colour oxOpCodeBackColor;
extern const juce::Colour oxOpCodeOverColor;
extern const juce::Colour oxOpCodeOutColor;
extern const juce::Colour oxOpCodeLedOnColor;
extern const juce::Colour oxOpCodeLedOffColor;
extern const juce::Colour oxOpCodeLedOutColor;
extern const juce::Colour oxOpCodeTextColorZero;
extern const juce::Colour oxOpCodeTextColorNonZero;

extern const juce::Colour oxTabFillColour;
extern const juce::Colour oxTabTextColour;
extern const juce::Colour oxTabSelectedOutlineColour;
extern const juce::Colour oxTabNormalOutlineColour;
extern const juce::Colour oxTabDeselectedTabColour;

extern const juce::Colour oxAEffectTextColor;
extern const juce::Colour oxAEffectBackColor;

extern const juce::Colour oxTitleButtonNormalColor;
extern const juce::Colour oxTitleButtonOverColor;
extern const juce::Colour oxTitleButtonDownColor;

extern const juce::Colour oxAboutTextColor;
extern const juce::Colour oxAboutBackColor;

// The Problems page: a lamp and a word per severity.
extern const juce::Colour oxProblemErrorColor;
extern const juce::Colour oxProblemErrorTextColor;
extern const juce::Colour oxProblemWarningColor;
extern const juce::Colour oxProblemWarningTextColor;
