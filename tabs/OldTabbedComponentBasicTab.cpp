#include "tabs/OldTabbedComponentBasicTab.h"

#include "tabs/OldTabbedComponent.h"

OldTabbedComponentBasicTab::OldTabbedComponentBasicTab(const juce::String& tabName)
{
    setName(tabName);
    // So the hover colour of the name follows the mouse.
    setRepaintsOnMouseActivity(true);
    setSize(50, 50);
}

OldTabbedComponent* OldTabbedComponentBasicTab::getOwner() const
{
    if (auto* holder = getParentComponent())
        return dynamic_cast<OldTabbedComponent*>(holder->getParentComponent());

    return nullptr;
}

void OldTabbedComponentBasicTab::activateThisTab()
{
    if (auto* owner = getOwner())
        owner->setCurrentlySelectedTab(owner->getTabIndex(this));
}

void OldTabbedComponentBasicTab::mouseDown(const juce::MouseEvent&)
{
    activateThisTab();
}

void OldTabbedComponentBasicTab::mouseWheelMove(const juce::MouseEvent& event,
                                                const juce::MouseWheelDetails& wheel)
{
    auto* owner = getOwner();

    if (owner == nullptr)
        return;

    auto* scrollBar = owner->getScrollBar();
    auto details = wheel;

    // X11 and most mice only send vertical wheel movement, which a horizontal scroll bar
    // ignores; JUCE's Viewport takes it as horizontal in the same case.
    if (!scrollBar->isVertical() && details.deltaX == 0.0f)
        details.deltaX = details.deltaY;

    scrollBar->mouseWheelMove(event, details);
}

void OldTabbedComponentBasicTab::paint(juce::Graphics& g)
{
    if (auto* owner = getOwner())
    {
        const auto index = owner->getTabIndex(this);
        paintTab(g, index >= 0 && index == owner->getCurrentTabIndex(), owner);
    }
}

void OldTabbedComponentBasicTab::paintTab(juce::Graphics& g, bool, const OldTabbedComponent* owner)
{
    const auto colour =
        isMouseOver() ? juce::Colour::contrasting(owner->getTextColour(), owner->getFillColour())
                      : owner->getTextColour();
    g.setColour(colour);
    g.setFont(juce::Font(juce::jmin(20.0f, 0.8f * static_cast<float>(getHeight()))));
    g.drawText(getName(), juce::Rectangle<int>(4, 2, getWidth() - 8, getHeight() - 4),
               juce::Justification::centred, true);
}
