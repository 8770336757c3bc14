#include "gui/OXVstOpCodeComponent.h"

#include "gui/OXColours.h"

namespace
{
// Counters wrap modulo 2^32; a row shows them as the signed 32-bit value they then read as.
int32_t countOf(OXLogger::vstOpCodeGroup group, int32_t opCode)
{
    return static_cast<int32_t>(oxLogger.getVstOpCodeCount(group, opCode));
}
} // namespace

OXVstOpCodeComponent::OXVstOpCodeComponent(OXLogger::vstOpCodeGroup opCodeGroup, long opCodeNumber)
    : group(opCodeGroup), opCode(static_cast<int32_t>(opCodeNumber))
{
    setName("OXVstOpCodeComponent");
    setRepaintsOnMouseActivity(true);
}

OXVstOpCodeComponent::~OXVstOpCodeComponent() = default;

void OXVstOpCodeComponent::paint(juce::Graphics& g)
{
    shownCount = countOf(group, opCode);
    const int width = getWidth();
    const int height = getHeight();

    g.setColour(isMouseOver() ? oxOpCodeOverColor : oxOpCodeBackColor);
    g.fillRect(1, 1, width - 2, height - 2);

    g.setColour(oxOpCodeOutColor);
    g.drawLine(0.0f, static_cast<float>(height - 1), static_cast<float>(width - 1),
               static_cast<float>(height - 1), 1.0f);

    g.setColour(oxLogger.isVstOpCodeEnabled(group, opCode) ? oxOpCodeLedOnColor
                                                           : oxOpCodeLedOffColor);
    g.fillEllipse(3.0f, 4.0f, 8.0f, 8.0f);
    g.setColour(oxOpCodeLedOutColor);
    g.drawEllipse(2.0f, 3.0f, 10.0f, 10.0f, 1.0f);

    g.setColour(shownCount != 0 ? oxOpCodeTextColorNonZero : oxOpCodeTextColorZero);
    g.setFont(juce::Font(15.0f, juce::Font::plain));
    g.drawText(oxLogger.getVstOpCodeName(group, opCode), juce::Rectangle<int>(14, 0, 280, 16),
               juce::Justification::centredLeft, true);
    if (shownCount > 0)
        g.drawFittedText(juce::String(shownCount), countBox(), juce::Justification::centredRight,
                         1);
}

void OXVstOpCodeComponent::mouseDown(const juce::MouseEvent&)
{
    toggleEnabledState();
}

void OXVstOpCodeComponent::updateGUI()
{
    const int32_t count = countOf(group, opCode);
    if (count == shownCount)
        return;
    if (shownCount == 0)
        repaint();
    else
        repaint(countRepaintArea());
    shownCount = count;
}

void OXVstOpCodeComponent::toggleEnabledState()
{
    setEnabledState(!oxLogger.isVstOpCodeEnabled(group, opCode));
}

void OXVstOpCodeComponent::setEnabledState(bool enabled)
{
    oxLogger.setVstOpCodeEnabled(enabled, group, opCode);
    repaint();
}
