#include "tabs/OldTabbedComponent.h"

bool OldTabbedComponent::isVerticalStrip(TabOrientation strip) noexcept
{
    return strip == tabsOnLeft || strip == tabsOnRight;
}

void OldTabbedComponent::configureScrollBar()
{
    const auto vertical = isVerticalStrip(orientation);
    scrollBar->setOrientation(vertical);
    scrollBar->setSingleStepSize(vertical ? 18.0 : 40.0);
}

void OldTabbedComponent::setColours(const juce::Colour& fill, const juce::Colour& text,
                                    const juce::Colour& selectedOutline,
                                    const juce::Colour& normalOutline,
                                    const juce::Colour& deselectedTab)
{
    if (fill == fillColour && text == textColour && selectedOutline == selectedOutlineColour &&
        normalOutline == normalOutlineColour && deselectedTab == deselectedTabColour)
        return;

    fillColour = fill;
    textColour = text;
    selectedOutlineColour = selectedOutline;
    normalOutlineColour = normalOutline;
    deselectedTabColour = deselectedTab;
    repaint();
}

void OldTabbedComponent::setTabInsets(int insetAtStart, int insetAtEnd)
{
    tabInsetStart = insetAtStart;
    tabInsetEnd = insetAtEnd;
    resized();
}

void OldTabbedComponent::setOutlineStyle(float newCornerSize, float newNormalOutlineThickness,
                                         float newSelectedOutlineThickness)
{
    if (newCornerSize == cornerSize && newNormalOutlineThickness == normalOutlineThickness &&
        newSelectedOutlineThickness == selectedOutlineThickness)
        return;

    cornerSize = newCornerSize;
    normalOutlineThickness = newNormalOutlineThickness;
    selectedOutlineThickness = newSelectedOutlineThickness;
    resized();
}

OldTabbedComponentBasicTab* OldTabbedComponent::getTabComponent(int tabIndex) const
{
    return tabs[tabIndex];
}

int OldTabbedComponent::getTabIndex(const OldTabbedComponentBasicTab* tab) const
{
    return tabs.indexOf(const_cast<OldTabbedComponentBasicTab*>(tab));
}

TabEdgeDrawComponent* OldTabbedComponent::getEdge(int index) const noexcept
{
    return juce::isPositiveAndBelow(index, numEdges) ? edges[index] : nullptr;
}

juce::Component* OldTabbedComponent::setContentComponent(juce::Component* newContent)
{
    juce::Component* previous = contentComponent.getComponent();

    if (newContent == previous)
        return nullptr;

    if (previous != nullptr)
        removeChildComponent(previous);

    contentComponent = newContent;

    if (newContent != nullptr)
        addAndMakeVisible(newContent);

    resized();
    return previous;
}

void OldTabbedComponent::paint(juce::Graphics& g)
{
    if (contentComponent != nullptr && contentComponent->isOpaque())
        return;

    g.setColour(fillColour);
    g.fillRect(contentArea);
}

void OldTabbedComponent::paintOutlineInto(juce::Graphics& g, const juce::Component& piece) const
{
    const auto toLocal =
        juce::AffineTransform::translation(piece.getLocalPoint(this, juce::Point<float>()));
    g.setColour(getFillColour());
    g.fillPath(outlinePath, toLocal);
    g.setColour(getSelectedOutlineColour());
    g.fillPath(outlineStroke, toLocal);
}
