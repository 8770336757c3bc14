#include "gui/OXAboutContent.h"

#include "gui/OXColours.h"
#include "gui/OXWebPages.h"

juce::String OXAboutContent::productPageAddress()
{
    return juce::String(kOplexaSite) + kOplexaProductPath;
}

juce::String OXAboutContent::aboutText()
{
    return juce::StringArray{"Oplexa 1.1",
                             "Written by the Oplexa developers",
                             "",
                             "Built with the JUCE library",
                             "www.juce.com",
                             "",
                             "VST Plugin Technology by Steinberg"}
        .joinIntoString("\n");
}

OXAboutContent::OXAboutContent()
{
    const juce::URL productPage(productPageAddress());
    link = new juce::HyperlinkButton(productPage.getDomain() + kOplexaProductPath, productPage);
    link->setBounds(5, 140, 100, 18);
    link->changeWidthToFitText();
    link->setColour(juce::HyperlinkButton::textColourId, juce::Colour(0xaa1111ee));

    text = new juce::TextEditor(juce::String());
    text->setBounds(5, 5, 270, 120);
    text->setReadOnly(true);
    text->setMultiLine(true, true);
    text->setPopupMenuEnabled(true);
    text->setColour(juce::TextEditor::textColourId, oxAboutTextColor);
    text->setColour(juce::TextEditor::backgroundColourId, oxAboutBackColor);
    text->setColour(juce::TextEditor::highlightColourId, juce::Colour(0x401111ee));
    text->setColour(juce::TextEditor::outlineColourId, juce::Colours::transparentBlack);
    text->setColour(juce::TextEditor::focusedOutlineColourId, juce::Colours::transparentBlack);
    text->setColour(juce::TextEditor::shadowColourId, juce::Colours::black.withAlpha(0.22f));
    // JUCE 7 no longer infers this from the background colour.
    text->setOpaque(oxAboutBackColor.isOpaque());
    text->setText(aboutText(), juce::dontSendNotification);

    addAndMakeVisible(link);
    addAndMakeVisible(text);
}

OXAboutContent::~OXAboutContent()
{
    deleteAllChildren();
}
