// The joined outline: its polygon before rounding, and the rounded path the widget keeps.
#include "tabs/TabOutline.h"
#include "tests/tabs/TabsTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
using PointF = juce::Point<float>;

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

float distanceFromPath(const juce::Path& path, PointF point)
{
    PointF nearest;
    path.getNearestPoint(point, nearest);
    return nearest.getDistanceFrom(point);
}

struct OutlineCase
{
    OldTabbedComponent::TabOrientation orientation;
    juce::Rectangle<int> pageBox;
    juce::Rectangle<int> selectedTab; // in the widget's coordinates
    std::vector<PointF> polygon;
};

// 400 by 300, depth 30, three tabs, tab 1 selected, t = 1.25.
const std::vector<OutlineCase> outlineCases = {
    {OldTabbedComponent::tabsOnTop,
     {0, 30, 400, 270},
     {46, 0, 50, 37},
     {{47.25f, 31.25f},
      {47.25f, 1.25f},
      {94.75f, 1.25f},
      {94.75f, 31.25f},
      {398.75f, 31.25f},
      {398.75f, 298.75f},
      {1.25f, 298.75f},
      {1.25f, 31.25f}}},
    {OldTabbedComponent::tabsOnBottom,
     {0, 0, 400, 270},
     {46, 263, 50, 37},
     {{1.25f, 1.25f},
      {398.75f, 1.25f},
      {398.75f, 268.75f},
      {94.75f, 268.75f},
      {94.75f, 298.75f},
      {47.25f, 298.75f},
      {47.25f, 268.75f},
      {1.25f, 268.75f}}},
    {OldTabbedComponent::tabsOnLeft,
     {30, 0, 370, 300},
     {0, 46, 37, 50},
     {{1.25f, 94.75f},
      {1.25f, 47.25f},
      {31.25f, 47.25f},
      {31.25f, 1.25f},
      {398.75f, 1.25f},
      {398.75f, 298.75f},
      {31.25f, 298.75f},
      {31.25f, 94.75f}}},
    {OldTabbedComponent::tabsOnRight,
     {0, 0, 370, 300},
     {363, 46, 37, 50},
     {{398.75f, 47.25f},
      {398.75f, 94.75f},
      {368.75f, 94.75f},
      {368.75f, 298.75f},
      {1.25f, 298.75f},
      {1.25f, 1.25f},
      {368.75f, 1.25f},
      {368.75f, 47.25f}}},
};

void PrintTo(const OutlineCase& outline, std::ostream* os)
{
    *os << orientationName(outline.orientation);
}

class TabOutlineByOrientation : public ::testing::TestWithParam<OutlineCase>
{
};

TEST_P(TabOutlineByOrientation, PolygonRunsAroundPageAndSelectedTab)
{
    const auto& expected = GetParam();
    const auto polygon = createTabOutlinePolygon(expected.orientation, expected.pageBox,
                                                 expected.selectedTab, 1.25f);
    auto closed = expected.polygon;
    closed.push_back(closed.front());
    EXPECT_EQ(verticesOf(polygon), closed);
}

TEST_P(TabOutlineByOrientation, WidgetKeepsThePolygonWithRoundedCorners)
{
    const auto& expected = GetParam();
    RecordingTabbedComponent widget;
    widget.setSize(400, 300);
    widget.setTabOrientation(expected.orientation, 30, 4, 4);
    addTabs(widget, 3);
    widget.setCurrentlySelectedTab(1);
    settleMessages();
    ASSERT_EQ(widget.getTabComponent(1)->getBounds() + widget.getTabHolder()->getPosition(),
              expected.selectedTab);

    const auto& path = widget.getOutlinePath();
    const auto polygonBounds = juce::Rectangle<float>::findAreaContainingPoints(
        expected.polygon.data(), static_cast<int>(expected.polygon.size()));
    EXPECT_EQ(path.getBounds(), polygonBounds);

    // Every side keeps its middle; every corner is cut by the radius of 7.
    const auto count = expected.polygon.size();
    for (size_t i = 0; i < count; ++i)
    {
        const auto from = expected.polygon[i];
        const auto to = expected.polygon[(i + 1) % count];
        EXPECT_LT(distanceFromPath(path, (from + to) / 2.0f), 0.01f) << "side " << i;
        EXPECT_GT(distanceFromPath(path, from), 0.5f) << "corner " << i;
    }

    // The stroke is the outline at the selected width.
    EXPECT_EQ(widget.getOutlineStroke().getBounds(), polygonBounds.expanded(0.625f));
}

INSTANTIATE_TEST_SUITE_P(AllOrientations, TabOutlineByOrientation,
                         ::testing::ValuesIn(outlineCases));

TEST(TabOutline, MonitorWindowTabJoinsThePageWithoutALineBetween)
{
    RecordingTabbedComponent widget;
    widget.setSize(600, 400);
    widget.setTabOrientation(OldTabbedComponent::tabsOnLeft, 200, 2, 2);
    addTabs(widget, 4);
    widget.setCurrentlySelectedTab(0);
    settleMessages();
    ASSERT_EQ(widget.getTabComponent(0)->getBounds(), juce::Rectangle<int>(0, 0, 207, 50));
    const auto& path = widget.getOutlinePath();

    // The top edge runs straight from the tab's outer corner to the page's far corner.
    for (auto x : {10.0f, 150.0f, 201.25f, 400.0f, 590.0f})
        EXPECT_LT(distanceFromPath(path, {x, 1.25f}), 0.01f) << x;

    // The lower side meets the page's left edge in a rounded joint.
    EXPECT_LT(distanceFromPath(path, {150.0f, 48.75f}), 0.01f);
    EXPECT_LT(distanceFromPath(path, {201.25f, 200.0f}), 0.01f);
    EXPECT_GT(distanceFromPath(path, {201.25f, 48.75f}), 0.5f);

    // No outline between the tab and the page.
    EXPECT_GT(distanceFromPath(path, {201.25f, 25.0f}), 20.0f);
    EXPECT_TRUE(path.contains(201.25f, 25.0f));
}
} // namespace
