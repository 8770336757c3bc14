// The "About" page: the product's name, version and credits, and a link to its web page.
#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class OXAboutContent : public juce::Component
{
public:
    OXAboutContent();
    ~OXAboutContent() override;

    static juce::String aboutText();
    static juce::String productPageAddress();

    juce::HyperlinkButton* getLink() const noexcept { return link; }
    juce::TextEditor* getAboutText() const noexcept { return text; }

private:
    juce::HyperlinkButton* link = nullptr;
    juce::TextEditor* text = nullptr;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(OXAboutContent)
};
