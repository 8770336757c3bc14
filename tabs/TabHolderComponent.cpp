#include "tabs/TabHolderComponent.h"

#include "tabs/OldTabbedComponent.h"
#include "tabs/OldTabbedComponentBasicTab.h"

namespace
{
// Sets a deselected tab back from the strip's outer edge and stretches it under the page, so
// only its outer end with its two rounded corners shows.
juce::Rectangle<float> setBackAndStretch(juce::Rectangle<float> box,
                                         OldTabbedComponent::TabOrientation orientation)
{
    constexpr float setBack = 2.0f;
    constexpr float stretch = 100.0f;

    switch (orientation)
    {
    case OldTabbedComponent::tabsOnTop:
        return box.withTop(box.getY() + setBack).withBottom(box.getBottom() + stretch);
    case OldTabbedComponent::tabsOnBottom:
        return box.withBottom(box.getBottom() - setBack).withTop(box.getY() - stretch);
    case OldTabbedComponent::tabsOnLeft:
        return box.withLeft(box.getX() + setBack).withRight(box.getRight() + stretch);
    case OldTabbedComponent::tabsOnRight:
        return box.withRight(box.getRight() - setBack).withLeft(box.getX() - stretch);
    }

    return box;
}
} // namespace

TabHolderComponent::TabHolderComponent() = default;

TabHolderComponent::~TabHolderComponent()
{
    deleteAllChildren();
}

OldTabbedComponent* TabHolderComponent::getOwner() const
{
    return dynamic_cast<OldTabbedComponent*>(getParentComponent());
}

void TabHolderComponent::resized()
{
    auto* owner = getOwner();

    if (owner == nullptr)
        return;

    const auto vertical = OldTabbedComponent::isVerticalStrip(owner->getTabOrientation());
    auto position = static_cast<int>(-owner->getScrollBar()->getCurrentRangeStart());

    for (auto* tab : owner->tabs)
    {
        if (vertical)
        {
            const auto length = tab->getHeight();
            tab->setBounds(0, position, getWidth(), length);
            position += length - owner->getOverlap();
        }
        else
        {
            const auto length = tab->getWidth();
            tab->setBounds(position, 0, length, getHeight());
            position += length - owner->getOverlap();
        }
    }
}

void TabHolderComponent::changeListenerCallback(juce::ChangeBroadcaster*)
{
    resized();

    if (auto* owner = getOwner())
        owner->resized();
}

void TabHolderComponent::scrollBarMoved(juce::ScrollBar*, double)
{
    changeListenerCallback(nullptr);
}

void TabHolderComponent::paint(juce::Graphics& g)
{
    auto* owner = getOwner();

    if (owner == nullptr)
        return;

    const auto* selectedTab = owner->getTabComponent(owner->getCurrentTabIndex());

    for (auto* child : getChildren())
    {
        if (child == selectedTab || !child->getBounds().intersects(getLocalBounds()))
            continue;

        paintDeselectedTab(g, *owner, child->getBounds().toFloat());
    }

    owner->paintOutlineInto(g, *this);
}

void TabHolderComponent::paintDeselectedTab(juce::Graphics& g, const OldTabbedComponent& owner,
                                            juce::Rectangle<float> tabBounds) const
{
    const auto box = setBackAndStretch(tabBounds, owner.getTabOrientation());
    const auto n = owner.getNormalOutlineThickness();

    juce::Path shape;
    shape.addRoundedRectangle(box.getX() + n, box.getY() + n, box.getWidth() - 2.0f * n,
                              box.getHeight() - 2.0f * n, owner.getCornerSize());

    g.setColour(owner.getDeselectedTabColour());
    g.fillPath(shape);
    g.setColour(owner.getNormalOutlineColour());
    g.strokePath(
        shape, juce::PathStrokeType(n, juce::PathStrokeType::mitered, juce::PathStrokeType::butt));
}
