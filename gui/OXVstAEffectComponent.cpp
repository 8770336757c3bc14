#include "gui/OXVstAEffectComponent.h"

#include "gui/AEffectText.h"
#include "gui/OXColours.h"

#include <cstring>

OXVstAEffectComponent::OXVstAEffectComponent(const AEffect& effectToShow)
    : OXVstOpCodeListComponent(OXLogger::vstAEffectFunctions), shownEffect(effectToShow)
{
    std::memset(static_cast<void*>(&lastEffect), 0, sizeof lastEffect);
}

OXVstAEffectComponent::~OXVstAEffectComponent()
{
    deleteAllChildren();
}

void OXVstAEffectComponent::init()
{
    if (isInitialised())
        return;
    OXVstOpCodeListComponent::init();

    textEditor = new juce::TextEditor("AEffectTextEditor");
    const int rowsBottom = getNumRows() > 0 ? getRow(getNumRows() - 1)->getBottom() : 0;
    textEditor->setBounds(0, rowsBottom + 5, getWidth(), getHeight() - rowsBottom - 10);
    textEditor->setReadOnly(true);
    textEditor->setMultiLine(true, true);
    textEditor->setPopupMenuEnabled(true);
    textEditor->setColour(juce::TextEditor::textColourId, oxAEffectTextColor);
    textEditor->setColour(juce::TextEditor::backgroundColourId, oxAEffectBackColor);
    textEditor->setColour(juce::TextEditor::highlightColourId, juce::Colour(0x401111ee));
    textEditor->setColour(juce::TextEditor::outlineColourId, juce::Colours::transparentBlack);
    textEditor->setColour(juce::TextEditor::focusedOutlineColourId,
                          juce::Colours::transparentBlack);
    textEditor->setColour(juce::TextEditor::shadowColourId, juce::Colours::black.withAlpha(0.22f));
    // JUCE 7 no longer infers this from the background colour.
    textEditor->setOpaque(oxAEffectBackColor.isOpaque());
    addAndMakeVisible(textEditor);
}

void OXVstAEffectComponent::updateGUI()
{
    OXVstOpCodeListComponent::updateGUI();
    if (textEditor == nullptr)
        return;
    // Every byte counts, also the ones the text does not show.
    if (std::memcmp(&shownEffect, &lastEffect, sizeof lastEffect) == 0)
        return;
    std::memcpy(static_cast<void*>(&lastEffect), &shownEffect, sizeof lastEffect);
    updateEffectInfo();
}

void OXVstAEffectComponent::updateEffectInfo()
{
    if (textEditor == nullptr)
        return;
    textEditor->clear();
    textEditor->setText(describeAEffect(lastEffect), juce::dontSendNotification);
}
