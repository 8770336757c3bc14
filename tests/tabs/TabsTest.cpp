// The tabbed widget's left strip, which the window uses: layout read from the bounds the widget
// sets, and the joined outline around the page and the selected tab. Selection and painting are
// checked on the real window by the end-to-end test.
#include "tabs/OldTabbedComponent.h"
#include "tabs/OldTabbedComponentBasicTab.h"
#include "tabs/TabEdgeDrawComponent.h"
#include "tabs/TabHolderComponent.h"
#include "tabs/TabOutline.h"

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

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

// The widget leaves its tab clicks to a subclass.
class TestTabs : public OldTabbedComponent
{
public:
    TestTabs() : OldTabbedComponent("tabs") {}
    void tabWasClicked(int, bool, const juce::ModifierKeys&) override {}
};

// Runs the message loop long enough for the scroll bar's queued notifications, and the layouts
// they cause, to settle.
inline void settleMessages()
{
    for (int i = 0; i < 10; ++i)
        juce::MessageManager::getInstance()->runDispatchLoopUntil(2);
}

inline void addTabs(OldTabbedComponent& widget, int count)
{
    for (int i = 0; i < count; ++i)
        widget.addTab(-1, new OldTabbedComponentBasicTab("Tab " + juce::String(i)));
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
} // namespace

TEST(TabLayout, LeftStripPlacesStripScrollBarPageAndFramePieces)
{
    for (const auto& expected : leftLayouts)
    {
        SCOPED_TRACE(std::to_string(expected.numTabs) + " tabs");
        TestTabs widget;
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
