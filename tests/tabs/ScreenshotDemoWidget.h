// A tabbed widget as the monitor window uses it: one page per tab, swapped on every click.
#pragma once

#include "tabs/OldTabbedComponent.h"
#include "tabs/OldTabbedComponentBasicTab.h"

#include <juce_gui_basics/juce_gui_basics.h>

class ScreenshotDemoWidget : public OldTabbedComponent
{
public:
    explicit ScreenshotDemoWidget(const juce::StringArray& tabNames) : OldTabbedComponent("demo")
    {
        setColours(juce::Colour(0xff3a4a5a), juce::Colours::white, juce::Colours::white,
                   juce::Colour(0xffa0a0a0), juce::Colour(0xff23303c));

        for (const auto& name : tabNames)
        {
            auto* page = pages.add(new juce::Label({}, "Page: " + name));
            page->setJustificationType(juce::Justification::centred);
            page->setColour(juce::Label::textColourId, juce::Colours::white);
            addTab(-1, new OldTabbedComponentBasicTab(name));
        }
    }

    ~ScreenshotDemoWidget() override
    {
        // The pages belong to this demo, not to the widget.
        setContentComponent(nullptr);
    }

    void tabWasClicked(int index, bool, const juce::ModifierKeys&) override
    {
        setContentComponent(pages[index]);
    }

private:
    juce::OwnedArray<juce::Label> pages;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(ScreenshotDemoWidget)
};
