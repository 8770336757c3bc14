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

INSTANTIATE_TEST_SUITE_P(AllOrientations, TabOutlineByOrientation,
                         ::testing::ValuesIn(outlineCases));

} // namespace
