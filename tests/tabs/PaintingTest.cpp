// The widget painted into an image: chosen pixels of the frame, the tabs and their names.
#include "tests/tabs/TabsTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace
{
const auto fill = juce::Colour(0xff2040c0);
const auto text = juce::Colour(0xffff0000);
const auto selectedOutline = juce::Colour(0xffffffff);
const auto normalOutline = juce::Colour(0xffffff00);
const auto deselectedTab = juce::Colour(0xff208020);

::testing::AssertionResult hasColour(const juce::Image& image, int x, int y, juce::Colour expected)
{
    const auto actual = image.getPixelAt(x, y);
    const auto near = [](juce::uint8 a, juce::uint8 b) { return std::abs(a - b) <= 2; };

    if (near(actual.getRed(), expected.getRed()) && near(actual.getGreen(), expected.getGreen()) &&
        near(actual.getBlue(), expected.getBlue()) && near(actual.getAlpha(), expected.getAlpha()))
        return ::testing::AssertionSuccess();

    return ::testing::AssertionFailure()
           << "pixel (" << x << ", " << y << ") is " << actual.toDisplayString(true)
           << ", expected " << expected.toDisplayString(true);
}

juce::Image render(juce::Component& component)
{
    component.setVisible(true);
    return component.createComponentSnapshot(component.getLocalBounds(), true, 1.0f);
}

// 300 by 200, strip on top 30 deep, outlines 3 wide, three unnamed tabs, tab 1 selected.
void setUpPaintedWidget(RecordingTabbedComponent& widget)
{
    widget.setSize(300, 200);
    widget.setTabOrientation(OldTabbedComponent::tabsOnTop, 30, 4, 4);
    widget.setOutlineStyle(7.0f, 3.0f, 3.0f);
    widget.setColours(fill, text, selectedOutline, normalOutline, deselectedTab);
    addTabs(widget, 3, {});
    widget.setCurrentlySelectedTab(1);
    settleMessages();
}

TEST(TabPainting, FrameSelectedTabAndDeselectedTabs)
{
    RecordingTabbedComponent widget;
    setUpPaintedWidget(widget);
    const auto image = render(widget);

    EXPECT_TRUE(hasColour(image, 150, 100, fill)) << "inside the page";
    EXPECT_TRUE(hasColour(image, 296, 100, selectedOutline)) << "frame's right side";
    EXPECT_TRUE(hasColour(image, 150, 196, selectedOutline)) << "frame's bottom";
    EXPECT_TRUE(hasColour(image, 150, 33, selectedOutline)) << "frame's top beside the tab";
    EXPECT_TRUE(hasColour(image, 70, 2, selectedOutline)) << "selected tab's outer edge";
    EXPECT_TRUE(hasColour(image, 70, 20, fill)) << "selected tab";
    EXPECT_TRUE(hasColour(image, 70, 33, fill)) << "no line between the tab and the page";
    EXPECT_TRUE(hasColour(image, 6, 100, fill)) << "the page gap, painted by a frame piece";

    EXPECT_TRUE(hasColour(image, 25, 15, deselectedTab)) << "tab 0";
    EXPECT_TRUE(hasColour(image, 120, 15, deselectedTab)) << "tab 2";
    EXPECT_TRUE(hasColour(image, 3, 20, normalOutline)) << "tab 0's outline";
    EXPECT_TRUE(hasColour(image, 25, 1, juce::Colours::transparentBlack)) << "set back by 2";

    EXPECT_TRUE(hasColour(image, 250, 10, juce::Colours::transparentBlack)) << "strip past tabs";
    EXPECT_TRUE(hasColour(image, 0, 199, juce::Colours::transparentBlack)) << "rounded corner";
    EXPECT_TRUE(hasColour(image, 299, 31, juce::Colours::transparentBlack)) << "rounded corner";
}

TEST(TabPainting, OpaquePageIsNotPaintedBehind)
{
    struct OpaquePage : juce::Component
    {
        OpaquePage() { setOpaque(true); }
    };

    RecordingTabbedComponent widget;
    setUpPaintedWidget(widget);
    OpaquePage opaque;
    juce::Component clear;

    widget.setContentComponent(&opaque);
    EXPECT_TRUE(hasColour(render(widget), 150, 100, juce::Colours::transparentBlack));

    widget.setContentComponent(&clear);
    EXPECT_TRUE(hasColour(render(widget), 150, 100, fill));
    widget.setContentComponent(nullptr);
}

} // namespace
