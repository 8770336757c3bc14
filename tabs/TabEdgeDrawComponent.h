// A transparent piece of an OldTabbedComponent's frame: it paints the part of the joined
// outline that lies under it and lets every click through.
#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class TabEdgeDrawComponent : public juce::Component
{
public:
    TabEdgeDrawComponent();
    ~TabEdgeDrawComponent() override = default;

    void paint(juce::Graphics& g) override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(TabEdgeDrawComponent)
};
