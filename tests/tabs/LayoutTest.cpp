// Layout arithmetic, read from the component bounds the widget sets.
#include "tests/tabs/TabsTestSupport.h"

#include <gtest/gtest.h>

namespace
{
using Rect = juce::Rectangle<int>;

// With nothing selected the outline is the page box inset by the thinner outline.
juce::Rectangle<float> pageBoxOf(const OldTabbedComponent& widget)
{
    return widget.getOutlinePath().getBounds().expanded(
        juce::jmin(widget.getNormalOutlineThickness(), widget.getSelectedOutlineThickness()));
}

// The piece above the page starts at the frame box's corner and spans its width; the piece
// below ends at its bottom, unless the page reaches past that and the piece is empty.
void expectFrameBox(const OldTabbedComponent& widget, Rect expected)
{
    const auto above = widget.getEdge(0)->getBounds();
    const auto below = widget.getEdge(1)->getBounds();
    EXPECT_EQ(above.withHeight(expected.getHeight()), expected) << "frame box";

    if (!below.isEmpty())
    {
        EXPECT_EQ(below.getBottom(), expected.getBottom()) << "frame box";
    }
}

struct OrientationLayout
{
    OldTabbedComponent::TabOrientation orientation;
    int numTabs;
    bool scrollBarShown;
    Rect holder, scrollBar, pageBox, frameBox, page;
    Rect edges[6];
};

void PrintTo(const OrientationLayout& layout, std::ostream* os)
{
    *os << orientationName(layout.orientation) << ", " << layout.numTabs << " tabs";
}

// A 400 by 300 widget, depth 30, gaps 3 and 2, insets 5 and 6, corner size 7. Three tabs fit
// every strip; nine overflow both kinds. Rows: holder, scroll bar, page box, frame box, page;
// then edges 0 to 5.
// clang-format off
const OrientationLayout orientationLayouts[] = {
    {OldTabbedComponent::tabsOnTop, 3, false,
     {5, 0, 389, 37}, {394, 0, 0, 30}, {0, 30, 400, 270}, {0, 37, 400, 263}, {6, 34, 388, 262},
     {{0, 37, 400, 0}, {0, 296, 400, 4}, {0, 34, 6, 262}, {394, 34, 6, 262}, {0, 28, 5, 9}, {394, 28, 6, 9}}},
    {OldTabbedComponent::tabsOnTop, 9, true,
     {5, 0, 353, 37}, {358, 0, 36, 30}, {0, 30, 400, 270}, {0, 37, 400, 263}, {6, 34, 388, 262},
     {{0, 37, 400, 0}, {0, 296, 400, 4}, {0, 34, 6, 262}, {394, 34, 6, 262}, {0, 28, 5, 9}, {358, 28, 42, 9}}},
    {OldTabbedComponent::tabsOnBottom, 3, false,
     {5, 263, 389, 37}, {394, 270, 0, 30}, {0, 0, 400, 270}, {0, 0, 400, 263}, {6, 4, 388, 262},
     {{0, 0, 400, 4}, {0, 266, 400, 0}, {0, 4, 6, 262}, {394, 4, 6, 262}, {0, 263, 5, 9}, {394, 263, 6, 9}}},
    {OldTabbedComponent::tabsOnBottom, 9, true,
     {5, 263, 353, 37}, {358, 270, 36, 30}, {0, 0, 400, 270}, {0, 0, 400, 263}, {6, 4, 388, 262},
     {{0, 0, 400, 4}, {0, 266, 400, 0}, {0, 4, 6, 262}, {394, 4, 6, 262}, {0, 263, 5, 9}, {358, 263, 42, 9}}},
    {OldTabbedComponent::tabsOnLeft, 3, false,
     {0, 5, 37, 289}, {0, 5, 0, 289}, {30, 0, 370, 300}, {37, 0, 363, 300}, {36, 4, 358, 292},
     {{37, 0, 363, 4}, {37, 296, 363, 4}, {37, 4, 0, 292}, {394, 4, 6, 292}, {28, 0, 9, 5}, {28, 294, 9, 6}}},
    {OldTabbedComponent::tabsOnLeft, 9, true,
     {18, 5, 37, 289}, {0, 5, 18, 289}, {48, 0, 352, 300}, {55, 0, 345, 300}, {54, 4, 340, 292},
     {{55, 0, 345, 4}, {55, 296, 345, 4}, {55, 4, 0, 292}, {394, 4, 6, 292}, {46, 0, 9, 5}, {46, 294, 9, 6}}},
    {OldTabbedComponent::tabsOnRight, 3, false,
     {363, 5, 37, 289}, {400, 5, 0, 289}, {0, 0, 370, 300}, {0, 0, 363, 300}, {6, 4, 358, 292},
     {{0, 0, 363, 4}, {0, 296, 363, 4}, {0, 4, 6, 292}, {364, 4, 0, 292}, {363, 0, 9, 5}, {363, 294, 9, 6}}},
    {OldTabbedComponent::tabsOnRight, 9, true,
     {345, 5, 37, 289}, {382, 5, 18, 289}, {0, 0, 352, 300}, {0, 0, 345, 300}, {6, 4, 340, 292},
     {{0, 0, 345, 4}, {0, 296, 345, 4}, {0, 4, 6, 292}, {346, 4, 0, 292}, {345, 0, 9, 5}, {345, 294, 9, 6}}},
};
// clang-format on

class TabLayoutByOrientation : public ::testing::TestWithParam<OrientationLayout>
{
};

TEST_P(TabLayoutByOrientation, PlacesStripScrollBarPageAndFramePieces)
{
    const auto& expected = GetParam();
    RecordingTabbedComponent widget;
    widget.setTabInsets(5, 6);
    widget.setTabOrientation(expected.orientation, 30, 3, 2);
    widget.setSize(400, 300);
    addTabs(widget, expected.numTabs);
    settleMessages();

    EXPECT_EQ(widget.getScrollBar()->isVisible(), expected.scrollBarShown);
    EXPECT_EQ(widget.getTabHolder()->getBounds(), expected.holder);
    EXPECT_EQ(widget.getScrollBar()->getBounds(), expected.scrollBar);
    EXPECT_EQ(pageBoxOf(widget), expected.pageBox.toFloat());
    expectFrameBox(widget, expected.frameBox);
    EXPECT_EQ(widget.getContentArea(), expected.page);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(widget.getEdge(i)->getBounds(), expected.edges[i]) << "edge " << i;

    // Tabs span the strip's depth; the scroll bar's visible range is the holder's length.
    const auto vertical = OldTabbedComponent::isVerticalStrip(expected.orientation);
    const auto tab = widget.getTabComponent(0)->getBounds();
    EXPECT_EQ(vertical ? tab.getWidth() : tab.getHeight(), 37);
    EXPECT_EQ(widget.getScrollBar()->isVertical(), vertical);
    const auto holderLength = vertical ? expected.holder.getHeight() : expected.holder.getWidth();
    const auto run = 50 + 46 * (expected.numTabs - 1);
    EXPECT_EQ(widget.getScrollBar()->getCurrentRangeSize(), juce::jmin(run, holderLength));
}

INSTANTIATE_TEST_SUITE_P(AllOrientations, TabLayoutByOrientation,
                         ::testing::ValuesIn(orientationLayouts));

TEST(TabLayout, TabsOverlapAndTheScrollBarFollowsTheWidgetsSize)
{
    RecordingTabbedComponent widget;
    widget.setSize(160, 200);
    addTabs(widget, 3);
    settleMessages();

    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(widget.getTabComponent(i)->getX(), 46 * i);
    EXPECT_EQ(widget.getScrollBar()->getRangeLimit(), juce::Range<double>(0.0, 142.0));
    EXPECT_FALSE(widget.getScrollBar()->isVisible());

    // Shrinking alone must bring the scroll bar up, without another change of the tabs.
    widget.setSize(140, 200);
    settleMessages();
    EXPECT_TRUE(widget.getScrollBar()->isVisible());
    EXPECT_EQ(widget.getTabHolder()->getWidth(), 140 - 36);
    EXPECT_EQ(widget.getScrollBar()->getBounds(), Rect(104, 0, 36, 25));

    widget.setSize(300, 200);
    settleMessages();
    EXPECT_FALSE(widget.getScrollBar()->isVisible());
    EXPECT_EQ(widget.getTabHolder()->getWidth(), 300);
}

TEST(TabLayout, ScrollingMovesTheTabsOnALaterTurnOfTheMessageLoop)
{
    RecordingTabbedComponent widget;
    widget.setSize(140, 200);
    addTabs(widget, 3);
    widget.setCurrentlySelectedTab(0);
    settleMessages();
    const auto outlineBefore = widget.getOutlinePath().getBounds();

    widget.getScrollBar()->setCurrentRangeStart(30.0);
    EXPECT_EQ(widget.getTabComponent(0)->getX(), 0) << "moved before the loop ran";
    settleMessages();
    EXPECT_EQ(widget.getTabComponent(0)->getX(), -30);
    EXPECT_EQ(widget.getTabComponent(2)->getX(), 62);
    EXPECT_EQ(widget.getOutlinePath().getBounds().getX(), outlineBefore.getX() - 30.0f)
        << "the frame follows the selected tab";
    EXPECT_EQ(widget.getScrollBar()->getMaximumRangeLimit(), 142.0) << "the run is unchanged";

    widget.getScrollBar()->setCurrentRangeStart(500.0);
    settleMessages();
    EXPECT_EQ(widget.getTabComponent(2)->getRight(), widget.getTabHolder()->getWidth());
}

} // namespace
