#include "gui/OXVstAEffectComponent.h"

#include "gui/AEffectText.h"
#include "gui/OXColours.h"

#include <cstring>
#include <iterator>

OXVstAEffectComponent::OXVstAEffectComponent(const AEffect& effectToShow, OXLogger& loggerToShow)
    : OXVstOpCodeListComponent(loggerToShow, OXLogger::vstAEffectFunctions),
      shownEffect(effectToShow)
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
    const int rowsBottom = getNumRows() > 0 ? getRow(getNumRows() - 1)->getBottom() : 0;
    placeRowsInRecordOrder();

    textEditor = new juce::TextEditor("AEffectTextEditor");
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

void OXVstAEffectComponent::placeRowsInRecordOrder()
{
    // processDoubleReplacing came last to the group, but its row belongs under processReplacing.
    constexpr int order[] = {
        fnDispatcher,   fnAudioMaster, fnProcess, fnProcessReplacing, fnProcessDoubleReplacing,
        fnSetParameter, fnGetParameter};
    if (getNumRows() != static_cast<int>(std::size(order)))
        return;
    juce::Point<int> places[std::size(order)];
    for (size_t i = 0; i < std::size(order); ++i)
        places[i] = getRow(static_cast<int>(i))->getPosition();
    for (size_t i = 0; i < std::size(order); ++i)
        getRow(order[i])->setTopLeftPosition(places[i]);
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
