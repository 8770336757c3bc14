#include "tabs/TabOutline.h"

#include <initializer_list>

namespace
{
using Point = juce::Point<float>;

juce::Path closedPolygon(std::initializer_list<Point> points)
{
    juce::Path path;
    auto first = true;

    for (auto point : points)
    {
        if (first)
            path.startNewSubPath(point);
        else
            path.lineTo(point);

        first = false;
    }

    path.closeSubPath();
    return path;
}
} // namespace

juce::Path createTabOutlinePolygon(OldTabbedComponent::TabOrientation orientation,
                                   juce::Rectangle<int> pageBox,
                                   std::optional<juce::Rectangle<int>> selectedTab, float inset)
{
    const auto page = pageBox.toFloat();
    const auto L = page.getX() + inset;
    const auto T = page.getY() + inset;
    const auto R = page.getRight() - inset;
    const auto B = page.getBottom() - inset;

    if (!selectedTab.has_value())
        return closedPolygon({{L, T}, {R, T}, {R, B}, {L, B}});

    const auto tab = selectedTab->toFloat();
    const auto tL = tab.getX() + inset;
    const auto tT = tab.getY() + inset;
    const auto tR = tab.getRight() - inset;
    const auto tB = tab.getBottom() - inset;

    // Each polygon leaves out the part of the tab inside the page box, so the two read as one.
    switch (orientation)
    {
    case OldTabbedComponent::tabsOnTop:
        return closedPolygon(
            {{tL, T}, {tL, tT}, {tR, tT}, {tR, T}, {R, T}, {R, B}, {L, B}, {L, T}});
    case OldTabbedComponent::tabsOnBottom:
        return closedPolygon(
            {{L, T}, {R, T}, {R, B}, {tR, B}, {tR, tB}, {tL, tB}, {tL, B}, {L, B}});
    case OldTabbedComponent::tabsOnLeft:
        return closedPolygon(
            {{tL, tB}, {tL, tT}, {L, tT}, {L, T}, {R, T}, {R, B}, {L, B}, {L, tB}});
    case OldTabbedComponent::tabsOnRight:
        return closedPolygon(
            {{tR, tT}, {tR, tB}, {R, tB}, {R, B}, {L, B}, {L, T}, {R, T}, {R, tT}});
    }

    return {};
}
