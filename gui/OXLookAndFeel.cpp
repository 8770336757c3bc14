#include "gui/OXLookAndFeel.h"

#include "gui/OXColours.h"

juce::Path makeMinimiseShape()
{
    juce::Path shape;
    shape.addArrow(juce::Line<float>(0.5f, 0.1f, 0.5f, 0.35f), 0.0f, 0.4f, 0.4f);
    return shape;
}

juce::Button* OXLookAndFeel::createDocumentWindowButton(int buttonType)
{
    if (buttonType == juce::DocumentWindow::closeButton)
        return createDialogBoxCloseButton();
    return juce::LookAndFeel_V4::createDocumentWindowButton(buttonType);
}

juce::Button* OXLookAndFeel::createDialogBoxCloseButton()
{
    auto* button = new juce::ShapeButton("OXMinimizeButton", oxTitleButtonNormalColor,
                                         oxTitleButtonOverColor, oxTitleButtonDownColor);
    minimiseButton = button;
    button->setTooltip("Minimize");
    button->setShape(makeMinimiseShape(), false, true, false);
    return button;
}
