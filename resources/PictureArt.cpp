#include "resources/PictureArt.h"

namespace
{
const juce::Colour deepBlue(0xff25648b);
const juce::Colour paleBlue(0xffcedbe3);
const juce::Colour paper(0xfff2f2f2);
const juce::Colour lampOrange(0xffe5b780);
const juce::Colour windowBlue(0xff6793ae);

// A signal that enters from the left, passes the lens and leaves on the right.
juce::Path signalPath(float left, float right, float centreY, float amplitude)
{
    juce::Path wave;
    const int steps = 96;
    for (int i = 0; i <= steps; ++i)
    {
        const float x = left + (right - left) * static_cast<float>(i) / steps;
        const float phase =
            juce::MathConstants<float>::twoPi * 2.5f * static_cast<float>(i) / steps;
        const float y = centreY - amplitude * std::sin(phase);
        if (i == 0)
            wave.startNewSubPath(x, y);
        else
            wave.lineTo(x, y);
    }
    return wave;
}

juce::Font boldFont(float height)
{
    return juce::Font(juce::Font::getDefaultSansSerifFontName(), height, juce::Font::bold);
}
} // namespace

juce::Image drawLogo()
{
    juce::Image image(juce::Image::ARGB, kLogoWidth, kLogoHeight, true);
    juce::Graphics g(image);

    const juce::Point<float> centre(90.5f, 50.0f);
    const float radius = 40.0f;
    const auto lens = juce::Rectangle<float>(radius * 2, radius * 2).withCentre(centre);

    g.setColour(juce::Colours::black.withAlpha(0.25f));
    g.fillEllipse(lens.translated(2.0f, 3.0f));
    g.setGradientFill(juce::ColourGradient(paper, lens.getX(), lens.getY(), paleBlue,
                                           lens.getRight(), lens.getBottom(), false));
    g.fillEllipse(lens);

    const auto wave = signalPath(6.0f, 175.0f, centre.y, 13.0f);
    g.setColour(deepBlue);
    g.strokePath(wave, juce::PathStrokeType(5.0f, juce::PathStrokeType::curved,
                                            juce::PathStrokeType::rounded));
    g.setColour(lampOrange);
    g.strokePath(wave, juce::PathStrokeType(2.5f, juce::PathStrokeType::curved,
                                            juce::PathStrokeType::rounded));

    // Three lamps under the signal: every call that passes is noted.
    for (int i = 0; i < 3; ++i)
    {
        const auto lamp =
            juce::Rectangle<float>(9.0f, 9.0f)
                .withCentre({centre.x - 16.0f + 16.0f * static_cast<float>(i), 76.0f});
        g.setColour(i == 1 ? lampOrange : juce::Colour(0xfffdf1d4));
        g.fillEllipse(lamp);
        g.setColour(deepBlue);
        g.drawEllipse(lamp, 1.2f);
    }

    g.setColour(deepBlue);
    g.drawEllipse(lens.reduced(1.5f), 3.0f);

    const juce::Rectangle<int> nameBox(0, 96, kLogoWidth, 38);
    g.setFont(boldFont(32.0f));
    g.setColour(juce::Colours::black.withAlpha(0.35f));
    g.drawText("Oplexa", nameBox.translated(2, 2), juce::Justification::centred, false);
    g.setColour(paper);
    g.drawText("Oplexa", nameBox, juce::Justification::centred, false);
    return image;
}

juce::Image drawDonateBadge()
{
    juce::Image image(juce::Image::RGB, kDonateWidth, kDonateHeight, false);
    juce::Graphics g(image);
    g.fillAll(windowBlue);

    const auto pill = juce::Rectangle<float>(0.5f, 0.5f, kDonateWidth - 1.0f, kDonateHeight - 1.0f);
    g.setGradientFill(juce::ColourGradient(juce::Colour(0xffffd778), 0.0f, 0.0f,
                                           juce::Colour(0xffe8a030), 0.0f, kDonateHeight, false));
    g.fillRoundedRectangle(pill, 13.5f);
    g.setColour(deepBlue);
    g.drawRoundedRectangle(pill.reduced(0.5f), 13.0f, 1.0f);

    g.setFont(boldFont(15.0f));
    g.setColour(deepBlue);
    g.drawText("Donate", juce::Rectangle<int>(0, 0, kDonateWidth, kDonateHeight),
               juce::Justification::centred, false);
    return image;
}
