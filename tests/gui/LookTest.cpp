#include "gui/OXColours.h"
#include "gui/OXLookAndFeel.h"
#include "tests/gui/PixelProbe.h"

#include <gtest/gtest.h>

TEST(Colours, CopiesMadeAtStartUpTakeTheirSourcesValue)
{
    // A copy taken before its source is initialised would read transparent black.
    for (const juce::Colour* copy : {&oxTabFillColour, &oxAEffectBackColor, &oxAboutBackColor})
        EXPECT_EQ(copy->getARGB(), 0xfff2f2f2u);
}

TEST(LookAndFeel, DialogCloseButtonBecomesTheMinimiseButton)
{
    OXLookAndFeel look;
    EXPECT_EQ(look.minimiseButton, nullptr);

    std::unique_ptr<juce::Button> first(
        look.createDocumentWindowButton(juce::DocumentWindow::closeButton));
    auto* shape = dynamic_cast<juce::ShapeButton*>(first.get());
    ASSERT_NE(shape, nullptr);
    EXPECT_EQ(look.minimiseButton, first.get());
    EXPECT_EQ(shape->getName(), "OXMinimizeButton");
    EXPECT_EQ(shape->getTooltip(), "Minimize");

    std::unique_ptr<juce::Button> second(
        look.createDocumentWindowButton(juce::DocumentWindow::closeButton));
    EXPECT_EQ(look.minimiseButton, second.get());
    EXPECT_NE(first.get(), second.get());

    // Painted in the normal colour; the triangle points down from the top half.
    shape->setBounds(0, 0, 20, 20);
    const juce::Image image = PixelProbe::render(*shape);
    EXPECT_COLOUR(image.getPixelAt(10, 7), juce::Colour(0xffcedbe3));
    EXPECT_EQ(image.getPixelAt(1, 18).getAlpha(), 0);
}
