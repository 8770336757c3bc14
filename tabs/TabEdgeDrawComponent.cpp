#include "tabs/TabEdgeDrawComponent.h"

#include "tabs/OldTabbedComponent.h"

TabEdgeDrawComponent::TabEdgeDrawComponent()
{
    // The pieces lie over the tabs' ends and the scroll bar; clicks belong to those.
    setInterceptsMouseClicks(false, false);
}

void TabEdgeDrawComponent::paint(juce::Graphics& g)
{
    auto* owner = dynamic_cast<OldTabbedComponent*>(getParentComponent());

    if (owner == nullptr)
        return;

    owner->paintOutlineInto(g, *this);
}
