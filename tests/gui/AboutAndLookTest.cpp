#include "gui/OXAboutContent.h"
#include "gui/OXColours.h"
#include "gui/OXLookAndFeel.h"
#include "gui/OXWebPages.h"
#include "resources/DonateButtonData.h"
#include "resources/LogoData.h"
#include "tests/gui/PixelProbe.h"

#include <gtest/gtest.h>

TEST(Colours, CopiesTakeTheValueOfTheirSourceAndAllAreOpaque)
{
    // Copies made during static initialisation would read black if taken too early.
    for (const juce::Colour* copy : {&oxTabFillColour, &oxAEffectBackColor, &oxAboutBackColor})
        EXPECT_EQ(copy->getARGB(), 0xfff2f2f2u);
    for (const juce::Colour* colour : {&oxBackColor,
                                       &oxButtonBackColor,
                                       &oxButtonTextColor,
                                       &oxButtonOutColor,
                                       &oxTabTextColour,
                                       &oxTabSelectedOutlineColour,
                                       &oxTabNormalOutlineColour,
                                       &oxTabDeselectedTabColour,
                                       &oxOpCodeOverColor,
                                       &oxOpCodeOutColor,
                                       &oxOpCodeLedOnColor,
                                       &oxOpCodeLedOffColor,
                                       &oxOpCodeLedOutColor,
                                       &oxOpCodeTextColorZero,
                                       &oxOpCodeTextColorNonZero,
                                       &oxAEffectTextColor,
                                       &oxTitleButtonNormalColor,
                                       &oxTitleButtonOverColor,
                                       &oxTitleButtonDownColor,
                                       &oxAboutTextColor})
        EXPECT_TRUE(colour->isOpaque()) << PixelProbe::hex(*colour);
}

TEST(Pictures, EmbeddedPngsDecodeToTheirSizes)
{
    const juce::Image logo =
        juce::ImageCache::getFromMemory(LogoData::logo_png, LogoData::logo_pngSize);
    ASSERT_TRUE(logo.isValid());
    EXPECT_EQ(logo.getWidth(), 181);
    EXPECT_EQ(logo.getHeight(), 136);
    EXPECT_TRUE(logo.hasAlphaChannel());
    // Transparent around the mark, drawn in the middle.
    EXPECT_EQ(logo.getPixelAt(0, 0).getAlpha(), 0);
    EXPECT_EQ(logo.getPixelAt(90, 50).getAlpha(), 255);

    const juce::Image donate = juce::ImageCache::getFromMemory(DonateButtonData::donate_png,
                                                               DonateButtonData::donate_pngSize);
    ASSERT_TRUE(donate.isValid());
    EXPECT_EQ(donate.getWidth(), 72);
    EXPECT_EQ(donate.getHeight(), 29);
    EXPECT_FALSE(donate.hasAlphaChannel());
}

TEST(AboutContent, LinkAndText)
{
    OXAboutContent about;
    about.setSize(560, 624);
    EXPECT_FALSE(about.isOpaque());
    ASSERT_EQ(about.getNumChildComponents(), 2);
    EXPECT_EQ(about.getChildComponent(0), about.getLink());
    EXPECT_EQ(about.getChildComponent(1), about.getAboutText());

    auto* link = about.getLink();
    EXPECT_EQ(link->getButtonText(), juce::URL(kOplexaSite).getDomain() + "/oplexa");
    EXPECT_EQ(link->getURL().toString(false), juce::String(kOplexaSite) + "/oplexa");
    EXPECT_EQ(link->getX(), 5);
    EXPECT_EQ(link->getY(), 140);
    EXPECT_EQ(link->getHeight(), 18);
    // Fitted to its text, which is wider than the 100 pixels it starts with.
    const int textWidth = juce::Font(18 * 0.7f).getStringWidth(link->getButtonText());
    EXPECT_GE(link->getWidth(), textWidth);
    EXPECT_LT(link->getWidth(), textWidth + 20);
    EXPECT_EQ(link->findColour(juce::HyperlinkButton::textColourId), juce::Colour(0xaa1111ee));
    EXPECT_TRUE(link->isVisible());

    auto* text = about.getAboutText();
    EXPECT_EQ(text->getBounds(), juce::Rectangle<int>(5, 5, 270, 120));
    EXPECT_TRUE(text->isReadOnly());
    EXPECT_TRUE(text->isMultiLine());
    EXPECT_TRUE(text->isPopupMenuEnabled());
    EXPECT_TRUE(text->isOpaque());
    EXPECT_EQ(text->findColour(juce::TextEditor::textColourId), oxAboutTextColor);
    EXPECT_EQ(text->findColour(juce::TextEditor::backgroundColourId), oxAboutBackColor);

    juce::StringArray lines;
    lines.addLines(text->getText());
    ASSERT_EQ(lines.size(), 7);
    EXPECT_EQ(lines[0], "Oplexa 1.1");
    EXPECT_FALSE(lines[1].isEmpty());
    EXPECT_TRUE(lines[2].isEmpty());
    EXPECT_EQ(lines[3], "Built with the JUCE library");
    EXPECT_FALSE(lines[4].isEmpty());
    EXPECT_TRUE(lines[5].isEmpty());
    EXPECT_EQ(lines[6], "VST Plugin Technology by Steinberg");
    EXPECT_FALSE(text->getText().endsWithChar('\n'));

    // Its children keep their places whatever the page's size.
    about.setSize(100, 100);
    EXPECT_EQ(text->getBounds(), juce::Rectangle<int>(5, 5, 270, 120));
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
    EXPECT_COLOUR(image.getPixelAt(10, 7), oxTitleButtonNormalColor);
    EXPECT_EQ(image.getPixelAt(1, 18).getAlpha(), 0);
}

TEST(LookAndFeel, MinimiseShapeIsADownwardTriangle)
{
    const juce::Path shape = makeMinimiseShape();
    const auto box = shape.getBounds();
    EXPECT_NEAR(box.getX(), 0.3f, 1e-4f);
    EXPECT_NEAR(box.getRight(), 0.7f, 1e-4f);
    EXPECT_NEAR(box.getY(), 0.1f, 1e-4f);
    EXPECT_NEAR(box.getBottom(), 0.35f, 1e-4f);
    EXPECT_TRUE(shape.contains(0.5f, 0.2f));
    EXPECT_TRUE(shape.contains(0.35f, 0.16f));
    EXPECT_FALSE(shape.contains(0.35f, 0.3f));
    EXPECT_FALSE(shape.contains(0.5f, 0.12f));
}
