#include "gui/OXWindow.h"

#include "gui/OXColours.h"
#include "gui/OXContentComponent.h"
#include "logger/OXLogger.h"

namespace
{
// The frame and title bar that give a 768 x 632 content, so every page is 560 x 624.
constexpr int kFrameWidth = 3;
constexpr int kTitleBarHeight = 28;
constexpr int kMinimiseDelayMs = 200;
} // namespace

OXWindow::OXWindow(const AEffect& shownEffect, OXLogger& logger, const rules::RuleChecker* checker,
                   std::optional<juce::Point<int>> topLeft)
    : juce::DialogWindow("Oplexa - " + logger.moduleName, oxBackColor, false)
{
    setTitleBarHeight(kTitleBarHeight);
    setLookAndFeel(&lookAndFeel);

    setContentOwned(new OXContentComponent(shownEffect, logger, checker), false);
    centreWithSize(kWidth, kHeight);
    if (topLeft)
        setTopLeftPosition(*topLeft);
    getContent()->init();
    setVisible(true);
}

OXWindow::~OXWindow()
{
    stopTimer();
    clearContentComponent();
    // Back to the default look before lookAndFeel goes, so no button refers to it.
    setLookAndFeel(nullptr);
}

void OXWindow::userTriedToCloseWindow() {}

void OXWindow::closeButtonPressed() {}

void OXWindow::timerCallback()
{
    if (auto* content = getContent())
        content->updateGUI();
}

void OXWindow::lookAndFeelChanged()
{
    juce::DialogWindow::lookAndFeelChanged();
    wireMinimiseButton();
}

void OXWindow::wireMinimiseButton()
{
    auto* button = getCloseButton();
    if (button == nullptr || button != lookAndFeel.minimiseButton)
        return;
    // The dialog binds Alt+F4 to its close button; on this button it would minimise.
    button->clearShortcuts();
    // The window manager answers the click by giving the window the focus; iconifying before
    // JUCE has handled that makes its focus request fail with an X error. The bridge filters
    // such errors on its message thread; minimising once the click has settled also keeps
    // them away where no filter is installed.
    button->onClick = [this]
    {
        juce::Component::SafePointer<OXWindow> self(this);
        juce::Timer::callAfterDelay(kMinimiseDelayMs,
                                    [self]
                                    {
                                        if (self != nullptr)
                                            if (auto* peer = self->getPeer())
                                                peer->setMinimised(true);
                                    });
    };
}

juce::BorderSize<int> OXWindow::getBorderThickness()
{
    return juce::BorderSize<int>(kFrameWidth);
}

OXContentComponent* OXWindow::getContent() const
{
    return dynamic_cast<OXContentComponent*>(getContentComponent());
}
