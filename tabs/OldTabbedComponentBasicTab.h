// One tab of an OldTabbedComponent: it draws its name and selects itself when clicked.
#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class OldTabbedComponent;

class OldTabbedComponentBasicTab : public juce::Component
{
public:
    /** Creates a 50 by 50 tab showing its name. */
    explicit OldTabbedComponentBasicTab(const juce::String& tabName);
    ~OldTabbedComponentBasicTab() override = default;

    /** Selects this tab in its owner; does nothing without an owner. */
    void activateThisTab();

    /** The tabbed component this tab belongs to (its parent's parent), or nullptr. */
    OldTabbedComponent* getOwner() const;

    void mouseDown(const juce::MouseEvent& event) override;
    void mouseWheelMove(const juce::MouseEvent& event,
                        const juce::MouseWheelDetails& wheel) override;
    void paint(juce::Graphics& g) override;

    /** Draws the tab. The basic tab draws its name and ignores isSelected. */
    virtual void paintTab(juce::Graphics& g, bool isSelected, const OldTabbedComponent* owner);

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(OldTabbedComponentBasicTab)
};
