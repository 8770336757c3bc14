// The window's look: JUCE's own, except that the dialog's title-bar button minimises.
#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class OXLookAndFeel : public juce::LookAndFeel_V4
{
public:
    OXLookAndFeel() = default;
    // Does not delete minimiseButton: the window that asked for it owns it.
    ~OXLookAndFeel() override = default;

    // A dialog window asks only for its close button; it gets the minimise button instead.
    juce::Button* createDocumentWindowButton(int buttonType) override;
    juce::Button* createDialogBoxCloseButton();

    // The title-bar button made last; null until the first one. Not owned.
    juce::Button* minimiseButton = nullptr;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(OXLookAndFeel)
};

// A downward triangle under a stem of no width, in a unit box.
juce::Path makeMinimiseShape();
