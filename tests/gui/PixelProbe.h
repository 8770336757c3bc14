// Rendering helpers: paint a component into an image and look at chosen pixels.
#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <string>

namespace PixelProbe
{
inline juce::Image render(juce::Component& component)
{
    juce::Image image(juce::Image::ARGB, juce::jmax(1, component.getWidth()),
                      juce::jmax(1, component.getHeight()), true);
    juce::Graphics g(image);
    component.paintEntireComponent(g, false);
    return image;
}

inline std::string hex(juce::Colour colour)
{
    return colour.toDisplayString(true).toStdString();
}

inline bool near(juce::Colour a, juce::Colour b, int tolerance = 2)
{
    return std::abs(a.getRed() - b.getRed()) <= tolerance &&
           std::abs(a.getGreen() - b.getGreen()) <= tolerance &&
           std::abs(a.getBlue() - b.getBlue()) <= tolerance &&
           std::abs(a.getAlpha() - b.getAlpha()) <= tolerance;
}

// The darkest pixel of an area: the core of any text drawn there.
inline juce::Colour darkestIn(const juce::Image& image, juce::Rectangle<int> area)
{
    juce::Colour darkest = juce::Colours::white;
    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
        {
            const juce::Colour c = image.getPixelAt(x, y);
            if (c.getAlpha() == 255 &&
                c.getPerceivedBrightness() < darkest.getPerceivedBrightness())
                darkest = c;
        }
    return darkest;
}

inline bool allPixelsAre(const juce::Image& image, juce::Rectangle<int> area, juce::Colour colour)
{
    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
            if (!near(image.getPixelAt(x, y), colour))
                return false;
    return true;
}
} // namespace PixelProbe

#define EXPECT_COLOUR(actual, expected)                                                            \
    EXPECT_TRUE(PixelProbe::near((actual), (expected)))                                            \
        << "got " << PixelProbe::hex(actual) << ", want " << PixelProbe::hex(expected)
