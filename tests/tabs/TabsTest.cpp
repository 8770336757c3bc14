// The tabbed widget: the left strip the window uses (layout read from the bounds the widget
// sets, the joined outline around the page and the selected tab), selection, and painting.
#include "tabs/OldTabbedComponent.h"
#include "tabs/OldTabbedComponentBasicTab.h"
#include "tabs/TabEdgeDrawComponent.h"
#include "tabs/TabHolderComponent.h"
#include "tabs/TabOutline.h"

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <cstdlib>
#include <ostream>
#include <vector>

namespace juce
{
// Readable failures for the geometry compared throughout the tests.
template <typename T> void PrintTo(const Rectangle<T>& rectangle, std::ostream* os)
{
    *os << rectangle.toString();
}

template <typename T> void PrintTo(const Point<T>& point, std::ostream* os)
{
    *os << "(" << point.x << ", " << point.y << ")";
}
} // namespace juce

// Records every selection and counts the layouts, which run through the virtual resized().
class RecordingTabbedComponent : public OldTabbedComponent
{
public:
    struct Click
    {
        int index;
        bool wasAlreadySelected;
    };

    RecordingTabbedComponent() : OldTabbedComponent("tabs") {}

    void tabWasClicked(int index, bool wasAlreadySelected, const juce::ModifierKeys&) override
    {
        clicks.push_back({index, wasAlreadySelected});
    }

    void resized() override
    {
        ++layouts;
        OldTabbedComponent::resized();
    }

    std::vector<Click> clicks;
    int layouts = 0;
};

// Runs the message loop long enough for the scroll bar's queued notifications, and the layouts
// they cause, to settle.
inline void settleMessages()
{
    for (int i = 0; i < 10; ++i)
        juce::MessageManager::getInstance()->runDispatchLoopUntil(2);
}

inline void addTabs(OldTabbedComponent& widget, int count, const juce::String& prefix = "Tab ")
{
    for (int i = 0; i < count; ++i)
        widget.addTab(-1, new OldTabbedComponentBasicTab(
                              prefix.isEmpty() ? juce::String() : prefix + juce::String(i)));
}

namespace
{
using Rect = juce::Rectangle<int>;
using PointF = juce::Point<float>;

// With nothing selected the outline is the page box inset by the thinner outline.
juce::Rectangle<float> pageBoxOf(const OldTabbedComponent& widget)
{
    return widget.getOutlinePath().getBounds().expanded(
        juce::jmin(widget.getNormalOutlineThickness(), widget.getSelectedOutlineThickness()));
}

struct LeftLayout
{
    int numTabs;
    bool scrollBarShown;
    Rect holder, scrollBar, pageBox, frameBox, page;
    Rect edges[6];
};

// A 400 by 300 widget, depth 30, gaps 3 and 2, insets 5 and 6, corner size 7. Three tabs fit
// the strip; nine overflow it. Rows: holder, scroll bar, page box, frame box, page; then edges
// 0 to 5.
// clang-format off
const LeftLayout leftLayouts[] = {
    {3, false,
     {0, 5, 37, 289}, {0, 5, 0, 289}, {30, 0, 370, 300}, {37, 0, 363, 300}, {36, 4, 358, 292},
     {{37, 0, 363, 4}, {37, 296, 363, 4}, {37, 4, 0, 292}, {394, 4, 6, 292}, {28, 0, 9, 5}, {28, 294, 9, 6}}},
    {9, true,
     {18, 5, 37, 289}, {0, 5, 18, 289}, {48, 0, 352, 300}, {55, 0, 345, 300}, {54, 4, 340, 292},
     {{55, 0, 345, 4}, {55, 296, 345, 4}, {55, 4, 0, 292}, {394, 4, 6, 292}, {46, 0, 9, 5}, {46, 294, 9, 6}}},
};
// clang-format on

// The polygon's vertices, each closed sub-path ending in its first point again.
std::vector<PointF> verticesOf(const juce::Path& path)
{
    std::vector<PointF> points;
    size_t start = 0;
    for (juce::Path::Iterator it(path); it.next();)
    {
        if (it.elementType == juce::Path::Iterator::startNewSubPath)
            start = points.size();
        if (it.elementType == juce::Path::Iterator::closePath)
            points.push_back(points[start]);
        else
            points.emplace_back(it.x1, it.y1);
    }
    return points;
}
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
} // namespace

TEST(TabLayout, LeftStripPlacesStripScrollBarPageAndFramePieces)
{
    for (const auto& expected : leftLayouts)
    {
        SCOPED_TRACE(std::to_string(expected.numTabs) + " tabs");
        RecordingTabbedComponent widget;
        widget.setTabInsets(5, 6);
        widget.setTabOrientation(OldTabbedComponent::tabsOnLeft, 30, 3, 2);
        widget.setSize(400, 300);
        addTabs(widget, expected.numTabs);
        settleMessages();

        EXPECT_EQ(widget.getScrollBar()->isVisible(), expected.scrollBarShown);
        EXPECT_EQ(widget.getTabHolder()->getBounds(), expected.holder);
        EXPECT_EQ(widget.getScrollBar()->getBounds(), expected.scrollBar);
        EXPECT_EQ(pageBoxOf(widget), expected.pageBox.toFloat());
        // The piece above the page starts at the frame box's corner and spans its width.
        EXPECT_EQ(widget.getEdge(0)->getBounds().withHeight(expected.frameBox.getHeight()),
                  expected.frameBox);
        EXPECT_EQ(widget.getContentArea(), expected.page);
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(widget.getEdge(i)->getBounds(), expected.edges[i]) << "edge " << i;

        // Tabs span the strip's depth; the scroll bar's visible range is the holder's length.
        EXPECT_EQ(widget.getTabComponent(0)->getBounds().getWidth(), 37);
        EXPECT_TRUE(widget.getScrollBar()->isVertical());
        EXPECT_EQ(widget.getScrollBar()->getCurrentRangeSize(),
                  juce::jmin(50 + 46 * (expected.numTabs - 1), expected.holder.getHeight()));
    }
}

TEST(TabOutline, PolygonRunsAroundPageAndSelectedTab)
{
    // 400 by 300, depth 30, three tabs, tab 1 selected, t = 1.25.
    const auto polygon = createTabOutlinePolygon(OldTabbedComponent::tabsOnLeft,
                                                 Rect(30, 0, 370, 300), Rect(0, 46, 37, 50), 1.25f);
    const std::vector<PointF> expected = {{1.25f, 94.75f},   {1.25f, 47.25f},  {31.25f, 47.25f},
                                          {31.25f, 1.25f},   {398.75f, 1.25f}, {398.75f, 298.75f},
                                          {31.25f, 298.75f}, {31.25f, 94.75f}, {1.25f, 94.75f}};
    EXPECT_EQ(verticesOf(polygon), expected);
}

TEST(TabSelection, ClickSelectsBringsForwardAndReportsEveryTime)
{
    RecordingTabbedComponent widget;
    widget.setSize(400, 300);
    addTabs(widget, 3);
    const auto frontTab = [&widget]
    {
        auto* holder = widget.getTabHolder();
        return holder->getChildComponent(holder->getNumChildComponents() - 1);
    };
    widget.getTabComponent(0)->activateThisTab();
    EXPECT_EQ(widget.getCurrentTabIndex(), 0);
    EXPECT_EQ(frontTab(), widget.getTabComponent(0));
    ASSERT_EQ(widget.clicks.size(), 1u);
    EXPECT_EQ(widget.clicks[0].index, 0);
    EXPECT_FALSE(widget.clicks[0].wasAlreadySelected);

    // Re-clicking reports without laying out.
    const auto layouts = widget.layouts;
    widget.getTabComponent(0)->activateThisTab();
    EXPECT_EQ(widget.layouts, layouts);
    ASSERT_EQ(widget.clicks.size(), 2u);
    EXPECT_EQ(widget.clicks[1].index, 0);
    EXPECT_TRUE(widget.clicks[1].wasAlreadySelected);

    // The stacking order changes, the tab order does not.
    widget.setCurrentlySelectedTab(2);
    EXPECT_EQ(frontTab(), widget.getTabComponent(2));
    EXPECT_EQ(widget.getTabIndex(widget.getTabComponent(0)), 0);
    EXPECT_EQ(widget.getTabHolder()->getIndexOfChildComponent(widget.getTabComponent(0)), 1);
}

TEST(TabPainting, FrameSelectedTabAndDeselectedTabs)
{
    // 300 by 200, strip on top 30 deep, outlines 3 wide, three unnamed tabs, tab 1 selected.
    RecordingTabbedComponent widget;
    widget.setSize(300, 200);
    widget.setTabOrientation(OldTabbedComponent::tabsOnTop, 30, 4, 4);
    widget.setOutlineStyle(7.0f, 3.0f, 3.0f);
    widget.setColours(fill, text, selectedOutline, normalOutline, deselectedTab);
    addTabs(widget, 3, {});
    widget.setCurrentlySelectedTab(1);
    settleMessages();
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
