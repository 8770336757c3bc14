#include "gui/OXColours.h"

// Defined in this order on purpose: the copies below read constants defined above them in
// this same file, which C++ initialises top to bottom.
const juce::Colour oxBackColor(0xff6793ae);
const juce::Colour oxButtonBackColor(0xffcedbe3);
const juce::Colour oxButtonTextColor(0xff000000);
const juce::Colour oxButtonOutColor(0xff25648b);

const juce::Colour oxOpCodeBackColor(0xfff2f2f2);
const juce::Colour oxOpCodeOverColor(0xffe5e2da);
const juce::Colour oxOpCodeOutColor(0xffe0e0e0);
const juce::Colour oxOpCodeLedOnColor(0xffe5b780);
const juce::Colour oxOpCodeLedOffColor(0xfffdf1d4);
const juce::Colour oxOpCodeLedOutColor(0xfff3dbb0);
const juce::Colour oxOpCodeTextColorZero(0xff8b8b8b);
const juce::Colour oxOpCodeTextColorNonZero(0xff000000);

const juce::Colour oxTabFillColour(oxOpCodeBackColor);
const juce::Colour oxTabTextColour(0xff4d4d4d);
const juce::Colour oxTabSelectedOutlineColour(0xff25648b);
const juce::Colour oxTabNormalOutlineColour(0xffcedbe3);
const juce::Colour oxTabDeselectedTabColour(0xffe8e8e8);

const juce::Colour oxAEffectTextColor(0xff4d4d4d);
const juce::Colour oxAEffectBackColor(oxOpCodeBackColor);

const juce::Colour oxTitleButtonNormalColor(0xffcedbe3);
const juce::Colour oxTitleButtonOverColor(0xffb0bdc5);
const juce::Colour oxTitleButtonDownColor(0xff25648b);

const juce::Colour oxAboutTextColor(0xff4d4d4d);
const juce::Colour oxAboutBackColor(oxTabFillColour);

const juce::Colour oxProblemErrorColor(0xffd0604d);
const juce::Colour oxProblemErrorTextColor(0xffa3291c);
const juce::Colour oxProblemWarningColor(oxOpCodeLedOnColor);
const juce::Colour oxProblemWarningTextColor(0xff8a5a12);
