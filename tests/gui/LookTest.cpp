#include "gui/OXColours.h"

#include <gtest/gtest.h>

TEST(Colours, CopiesMadeAtStartUpTakeTheirSourcesValue)
{
    // A copy taken before its source is initialised would read transparent black.
    for (const juce::Colour* copy : {&oxTabFillColour, &oxAEffectBackColor, &oxAboutBackColor})
        EXPECT_EQ(copy->getARGB(), 0xfff2f2f2u);
}
