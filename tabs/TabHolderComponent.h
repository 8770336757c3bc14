// The strip of an OldTabbedComponent: places the tabs along it and paints the tab shapes
// behind their names.
#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class OldTabbedComponent;

class TabHolderComponent : public juce::Component,
                           public juce::ChangeListener,
                           public juce::ScrollBar::Listener
{
public:
    TabHolderComponent();
    ~TabHolderComponent() override;

    /** Places the tabs one after another, each overlapping the one before, shifted back by
        the scroll position.
    */
    void resized() override;
    void paint(juce::Graphics& g) override;

    /** Re-places the tabs and lays the owner out again, so the frame follows a scroll. */
    void changeListenerCallback(juce::ChangeBroadcaster* source) override;

    /** Arrives through the message loop after every change of the scroll bar's range. */
    void scrollBarMoved(juce::ScrollBar* scrollBarThatHasMoved, double newRangeStart) override;

private:
    OldTabbedComponent* getOwner() const;
    void paintDeselectedTab(juce::Graphics& g, const OldTabbedComponent& owner,
                            juce::Rectangle<float> tabBounds) const;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(TabHolderComponent)
};
