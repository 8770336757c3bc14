// The monitor window. The bridge creates it on the message thread, brings it to the front,
// starts its 50 ms timer, and deletes it there at shutdown.
#pragma once

#include "gui/OXLookAndFeel.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <optional>

struct AEffect;
class OXContentComponent;
class OXLogger;
namespace rules
{
class RuleChecker;
}

class OXWindow : public juce::DialogWindow, public juce::Timer
{
public:
    static constexpr int kWidth = 774;
    static constexpr int kHeight = 666;

    // Builds the whole window and leaves it visible, centred or with its top left at topLeft;
    // the timer is started by the creator. The record shown on the AEffect page, the logger it
    // acts on and the checker (null: no Problems page) must outlive the window.
    OXWindow(const AEffect& shownEffect, OXLogger& logger, const rules::RuleChecker* checker,
             std::optional<juce::Point<int>> topLeft = std::nullopt);
    ~OXWindow() override;

    // The user cannot close the window: it lives until the hosted plug-in is closed.
    void userTriedToCloseWindow() override;
    void closeButtonPressed() override;
    void timerCallback() override;
    void lookAndFeelChanged() override;
    juce::BorderSize<int> getBorderThickness() override;

    OXContentComponent* getContent() const;

private:
    // The title-bar button is rebuilt whenever the look changes; each new one is wired again.
    void wireMinimiseButton();

    OXLookAndFeel lookAndFeel;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(OXWindow)
};
