// JUCE 7's look-and-feel hides scroll-bar arrows; the strip's short horizontal scroll bar is
// nothing but its two arrow buttons, so it needs them back.
#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class TabScrollBarLookAndFeel : public juce::LookAndFeel_V4
{
public:
    TabScrollBarLookAndFeel() = default;

    bool areScrollbarButtonsVisible() override { return true; }

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(TabScrollBarLookAndFeel)
};
