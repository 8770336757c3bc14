// Test doubles and helpers shared by the tabbed widget's tests.
#pragma once

#include "tabs/OldTabbedComponent.h"
#include "tabs/OldTabbedComponentBasicTab.h"
#include "tabs/TabEdgeDrawComponent.h"
#include "tabs/TabHolderComponent.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <ostream>
#include <vector>

namespace juce
{
// Readable failures for the geometry compared throughout the tests.
template <typename T> void PrintTo(const Rectangle<T>& rectangle, std::ostream* os)
{
    *os << rectangle.toString();
}

template <typename T> void PrintTo(const Point<T>& point, std::ostream* os)
{
    *os << "(" << point.x << ", " << point.y << ")";
}
} // namespace juce

// Records every selection and counts the layouts, which run through the virtual resized().
class RecordingTabbedComponent : public OldTabbedComponent
{
public:
    struct Click
    {
        int index;
        bool wasAlreadySelected;
    };

    RecordingTabbedComponent() : OldTabbedComponent("tabs") {}

    void tabWasClicked(int index, bool wasAlreadySelected, const juce::ModifierKeys&) override
    {
        clicks.push_back({index, wasAlreadySelected});
    }

    void resized() override
    {
        ++layouts;
        OldTabbedComponent::resized();
    }

    std::vector<Click> clicks;
    int layouts = 0;
};

// Runs the message loop long enough for the scroll bar's queued notifications, and the layouts
// they cause, to settle.
inline void settleMessages()
{
    for (int i = 0; i < 10; ++i)
        juce::MessageManager::getInstance()->runDispatchLoopUntil(2);
}

inline void addTabs(OldTabbedComponent& widget, int count, const juce::String& prefix = "Tab ")
{
    for (int i = 0; i < count; ++i)
        widget.addTab(-1, new OldTabbedComponentBasicTab(
                              prefix.isEmpty() ? juce::String() : prefix + juce::String(i)));
}
