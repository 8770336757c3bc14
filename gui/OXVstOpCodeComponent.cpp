#include "gui/OXVstOpCodeComponent.h"

#include "gui/OXColours.h"

OXVstOpCodeComponent::OXVstOpCodeComponent(OXLogger& loggerToShow,
                                           OXLogger::vstOpCodeGroup opCodeGroup, long opCodeNumber)
    : logger(loggerToShow), group(opCodeGroup), opCode(static_cast<int32_t>(opCodeNumber))
{
    setName("OXVstOpCodeComponent");
    setRepaintsOnMouseActivity(true);
}

OXVstOpCodeComponent::~OXVstOpCodeComponent() = default;

int32_t OXVstOpCodeComponent::count() const
{
    return static_cast<int32_t>(logger.getVstOpCodeCount(group, opCode));
}

void OXVstOpCodeComponent::paint(juce::Graphics& g)
{
    shownCount = count();
    const int width = getWidth();
    const int height = getHeight();

    g.setColour(isMouseOver() ? oxOpCodeOverColor : oxOpCodeBackColor);
    g.fillRect(1, 1, width - 2, height - 2);

    g.setColour(oxOpCodeOutColor);
    g.drawLine(0.0f, static_cast<float>(height - 1), static_cast<float>(width - 1),
               static_cast<float>(height - 1), 1.0f);

    g.setColour(logger.isVstOpCodeEnabled(group, opCode) ? oxOpCodeLedOnColor
                                                         : oxOpCodeLedOffColor);
    g.fillEllipse(3.0f, 4.0f, 8.0f, 8.0f);
    g.setColour(oxOpCodeLedOutColor);
    g.drawEllipse(2.0f, 3.0f, 10.0f, 10.0f, 1.0f);

    g.setColour(shownCount != 0 ? oxOpCodeTextColorNonZero : oxOpCodeTextColorZero);
    g.setFont(juce::Font(15.0f, juce::Font::plain));
    g.drawText(logger.getVstOpCodeName(group, opCode), juce::Rectangle<int>(14, 0, 280, 16),
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
    const int32_t now = count();
    if (now == shownCount)
        return;
    if (shownCount == 0)
        repaint();
    else
        repaint(countRepaintArea());
    shownCount = now;
}

void OXVstOpCodeComponent::toggleEnabledState()
{
    setEnabledState(!logger.isVstOpCodeEnabled(group, opCode));
}

void OXVstOpCodeComponent::setEnabledState(bool enabled)
{
    logger.setVstOpCodeEnabled(enabled, group, opCode);
    repaint();
}
