// Test doubles and helpers shared by the tabbed widget's tests.
#pragma once

#include "tabs/OldTabbedComponent.h"
#include "tabs/OldTabbedComponentBasicTab.h"
#include "tabs/TabEdgeDrawComponent.h"
#include "tabs/TabHolderComponent.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>
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

struct Click
{
    int index;
    bool wasAlreadySelected;
};

// Records every selection and counts the layouts, which run through the virtual resized().
class RecordingTabbedComponent : public OldTabbedComponent
{
public:
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

// A page that tells whether it was deleted, after its owner is gone.
class DeletionRecordingPage : public juce::Component
{
public:
    explicit DeletionRecordingPage(std::shared_ptr<bool> deletedFlag)
        : deleted(std::move(deletedFlag))
    {
    }
    ~DeletionRecordingPage() override { *deleted = true; }

private:
    std::shared_ptr<bool> deleted;
};

// Counts whole-component repaints of the component it is attached to (repaint() reaches an
// attached cached image even without a window).
class RepaintCounter : public juce::CachedComponentImage
{
public:
    void paint(juce::Graphics&) override {}
    bool invalidateAll() override
    {
        ++fullRepaints;
        return true;
    }
    bool invalidate(const juce::Rectangle<int>&) override { return true; }
    void releaseResources() override {}

    int fullRepaints = 0;
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
        widget.addTab(-1, new OldTabbedComponentBasicTab(prefix + juce::String(i)));
}

inline const char* orientationName(OldTabbedComponent::TabOrientation orientation)
{
    switch (orientation)
    {
    case OldTabbedComponent::tabsOnTop:
        return "tabsOnTop";
    case OldTabbedComponent::tabsOnBottom:
        return "tabsOnBottom";
    case OldTabbedComponent::tabsOnLeft:
        return "tabsOnLeft";
    case OldTabbedComponent::tabsOnRight:
        return "tabsOnRight";
    }

    return "?";
}

inline juce::Rectangle<int> boundsOf(const juce::Component* component)
{
    return component->getBounds();
}
