// The polygon that joins the page frame with the selected tab, before its corners are
// rounded.
#pragma once

#include "tabs/OldTabbedComponent.h"

#include <juce_graphics/juce_graphics.h>

#include <optional>

/** Builds the closed outline polygon.

    @param orientation      the edge the strip runs along
    @param pageBox          the page box before the page gap is taken off
    @param selectedTab      the selected tab's bounds in the widget's coordinates, if any
    @param inset            how far the outline lies inside both boxes
*/
juce::Path createTabOutlinePolygon(OldTabbedComponent::TabOrientation orientation,
                                   juce::Rectangle<int> pageBox,
                                   std::optional<juce::Rectangle<int>> selectedTab, float inset);
