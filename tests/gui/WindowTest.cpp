// The real window on an X server (run through with_display.sh).
#include "gui/OXContentComponent.h"
#include "gui/OXVstOpCodeListComponent.h"
#include "gui/OXWindow.h"
#include "logger/OXLogger.h"
#include "tabs/OldTabbedComponentBasicTab.h"
#include "tests/gui/PixelProbe.h"

#include <gtest/gtest.h>

namespace
{
void pumpMessages(int milliseconds)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil(milliseconds);
}

// Waits up to ten seconds for the window manager and the X server to catch up.
template <typename Condition> bool eventually(Condition condition)
{
    for (int i = 0; i < 500; ++i)
    {
        if (condition())
            return true;
        pumpMessages(20);
    }
    return condition();
}

class Window : public ::testing::Test
{
protected:
    void SetUp() override
    {
        oxLogger.moduleName = "TestPlugin";
        oxLogger.setVstOpCodesEnabled(true);
        oxLogger.resetVstOpCodeCounters();
        // As the bridge does it.
        window = std::make_unique<OXWindow>();
        window->toFront(true);
        window->startTimer(50);
        ASSERT_TRUE(eventually([this] { return window->isActiveWindow(); }));
    }
    void TearDown() override { window.reset(); }

    OXContentComponent& content() { return *window->getContent(); }
    juce::ComponentPeer& peer() { return *window->getPeer(); }

    // A left click at a point of a component, delivered to the window's native peer.
    void clickOn(juce::Component& target, juce::Point<int> local,
                 juce::ModifierKeys::Flags button = juce::ModifierKeys::leftButtonModifier)
    {
        const auto inWindow = window->getLocalPoint(&target, local).toFloat();
        send(inWindow, {});
        send(inWindow, juce::ModifierKeys(button));
        send(inWindow, {});
    }

    // Moves the real pointer too, since JUCE asks the X server where the mouse is.
    void hover(juce::Component& target, juce::Point<int> local)
    {
        juce::Desktop::setMousePosition(target.localPointToGlobal(local));
        send(window->getLocalPoint(&target, local).toFloat(), {});
    }

    void send(juce::Point<float> inWindow, juce::ModifierKeys buttons)
    {
        eventTime += 50;
        peer().handleMouseEvent(juce::MouseInputSource::InputSourceType::mouse, inWindow, buttons,
                                juce::MouseInputSource::defaultPressure,
                                juce::MouseInputSource::defaultOrientation, eventTime);
    }

    juce::Button& timeButton()
    {
        for (auto* child : content().getChildren())
            if (child->getName() == "TimeButton")
                return *dynamic_cast<juce::Button*>(child);
        throw std::runtime_error("no time button");
    }

    std::unique_ptr<OXWindow> window;
    juce::int64 eventTime = juce::Time::currentTimeMillis();
};
} // namespace

TEST_F(Window, CentredDialogOfTheGivenSize)
{
    EXPECT_EQ(window->getName(), "Oplexa - TestPlugin");
    EXPECT_EQ(window->getWidth(), 774);
    EXPECT_EQ(window->getHeight(), 666);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->isOnDesktop());
    EXPECT_FALSE(window->isResizable());
    EXPECT_FALSE(window->isAlwaysOnTop());
    EXPECT_EQ(window->getBackgroundColour(), juce::Colour(0xff6793ae));

    const auto screen = juce::Desktop::getInstance()
                            .getDisplays()
                            .getDisplayForRect(window->getScreenBounds())
                            ->userArea;
    EXPECT_NEAR(window->getScreenBounds().getCentreX(), screen.getCentreX(), 1);
    EXPECT_NEAR(window->getScreenBounds().getCentreY(), screen.getCentreY(), 1);

    EXPECT_EQ(content().getBounds(), juce::Rectangle<int>(3, 31, 768, 632));
    EXPECT_EQ(content().getPage(0)->getBounds(), juce::Rectangle<int>(204, 4, 560, 624));
}

TEST_F(Window, TitleBarButtonMinimises)
{
    auto* button = window->getMinimiseButton();
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(window->getCloseButton(), button);
    EXPECT_EQ(button->getName(), "OXMinimizeButton");
    EXPECT_TRUE(button->isShowing());
    EXPECT_FALSE(button->isRegisteredForShortcut(
        juce::KeyPress(juce::KeyPress::F4Key, juce::ModifierKeys::altModifier, 0)));

    clickOn(*button, button->getLocalBounds().getCentre());
    EXPECT_TRUE(eventually([this] { return peer().isMinimised(); }));
    EXPECT_TRUE(window->isVisible());

    // The timer keeps running while the window is minimised.
    content().setStartTime(juce::Time::getCurrentTime() - juce::RelativeTime::seconds(3));
    pumpMessages(200);
    EXPECT_TRUE(timeButton().getButtonText().startsWith("3 secs")) << timeButton().getButtonText();
}

TEST_F(Window, CloseRequestsAndEscapeDoNothing)
{
    peer().handleUserClosingWindow();
    window->userTriedToCloseWindow();
    window->closeButtonPressed();
    window->grabKeyboardFocus();
    peer().handleKeyPress(juce::KeyPress(juce::KeyPress::escapeKey));
    pumpMessages(200);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->isOnDesktop());
    EXPECT_FALSE(peer().isMinimised());
    EXPECT_EQ(content().getCurrentTabIndex(), 0);
}

TEST_F(Window, RowsFollowTheMouseAndToggleOnClick)
{
    auto& tab = *content().getTabComponent(1);
    clickOn(tab, tab.getLocalBounds().getCentre());
    ASSERT_EQ(content().getCurrentTabIndex(), 1);
    auto& list = *dynamic_cast<OXVstOpCodeListComponent*>(content().getPage(1));
    ASSERT_EQ(list.getNumRows(), 77);
    EXPECT_EQ(list.getRow(39)->getPosition(), juce::Point<int>(282, 0));

    auto& row = *list.getRow(13);
    hover(row, {200, 8});
    ASSERT_TRUE(row.isMouseOver());
    EXPECT_COLOUR(PixelProbe::render(row).getPixelAt(200, 2), juce::Colour(0xffe5e2da));
    hover(*list.getRow(14), {200, 8});
    EXPECT_FALSE(row.isMouseOver());
    EXPECT_COLOUR(PixelProbe::render(row).getPixelAt(200, 2), juce::Colour(0xfff2f2f2));

    clickOn(row, {100, 8}, juce::ModifierKeys::rightButtonModifier);
    EXPECT_FALSE(oxLogger.isVstOpCodeEnabled(OXLogger::vstDispatcherOpCodes, 13));
    clickOn(row, {100, 8});
    EXPECT_TRUE(oxLogger.isVstOpCodeEnabled(OXLogger::vstDispatcherOpCodes, 13));
}

TEST_F(Window, TimerRefreshesTheSelectedList)
{
    auto& tab = *content().getTabComponent(2);
    clickOn(tab, tab.getLocalBounds().getCentre());
    auto& list = *dynamic_cast<OXVstOpCodeListComponent*>(content().getPage(2));
    oxLogger.logVstAudioMaster(6, 0, 0, nullptr, 0.0f);
    EXPECT_TRUE(eventually([&] { return list.getRow(6)->getShownCount() == 1; }));
}

TEST(WindowLifetime, ASecondWindowAfterTheFirstIsGone)
{
    for (int i = 0; i < 2; ++i)
    {
        auto window = std::make_unique<OXWindow>();
        window->toFront(true);
        window->startTimer(50);
        pumpMessages(150);
        EXPECT_TRUE(window->isShowing());
        window.reset();
        pumpMessages(50);
    }
    EXPECT_EQ(juce::TopLevelWindow::getNumTopLevelWindows(), 0);
}
