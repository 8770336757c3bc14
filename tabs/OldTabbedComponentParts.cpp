// OldTabbedComponent with its parts: the strip, the frame pieces and the tabs, made, added,
// removed and selected.
#include "tabs/OldTabbedComponent.h"

#include "tabs/OldTabbedComponentBasicTab.h"
#include "tabs/TabEdgeDrawComponent.h"
#include "tabs/TabHolderComponent.h"
#include "tabs/TabScrollBarLookAndFeel.h"

OldTabbedComponent::OldTabbedComponent(const juce::String& widgetName)
    : scrollBarLookAndFeel(std::make_unique<TabScrollBarLookAndFeel>())
{
    setName(widgetName);

    tabHolder = new TabHolderComponent();
    addAndMakeVisible(tabHolder);

    scrollBar = new juce::ScrollBar(true);
    scrollBar->setLookAndFeel(scrollBarLookAndFeel.get());
    addChildComponent(scrollBar);
    // JUCE 7's scroll bar stays hidden until told it may show; auto-hide then decides.
    scrollBar->setVisible(true);
    scrollBar->addListener(tabHolder);
    configureScrollBar();

    for (int i = numEdges; --i >= 0;)
    {
        edges[i] = new TabEdgeDrawComponent();
        addAndMakeVisible(edges[i]);
    }
}

OldTabbedComponent::~OldTabbedComponent()
{
    if (auto* page = contentComponent.getComponent())
        delete page;

    scrollBar->removeListener(tabHolder);
    scrollBar->setLookAndFeel(nullptr);
    deleteAllChildren();
}

void OldTabbedComponent::setTabOrientation(TabOrientation newOrientation, int newTabDepth,
                                           int newContentGapX, int newContentGapY)
{
    if (newOrientation == orientation && newTabDepth == tabDepth && newContentGapX == contentGapX &&
        newContentGapY == contentGapY)
        return;

    // The holder stretches each tab across the strip, so on a turn between the two axes a tab's
    // length would become the old strip's depth; swapping keeps the length its creator gave.
    if (isVerticalStrip(newOrientation) != isVerticalStrip(orientation))
        for (auto* tab : tabs)
            tab->setSize(tab->getHeight(), tab->getWidth());

    orientation = newOrientation;
    tabDepth = newTabDepth;
    contentGapX = newContentGapX;
    contentGapY = newContentGapY;
    configureScrollBar();
    resized();
}

int OldTabbedComponent::getNumTabs() const
{
    return tabHolder->getNumChildComponents();
}

void OldTabbedComponent::addTab(int tabIndex, OldTabbedComponentBasicTab* newTab)
{
    if (newTab == nullptr)
        return;

    tabHolder->addAndMakeVisible(newTab);
    tabs.insert(tabIndex, newTab);
    tabsChanged();
}

void OldTabbedComponent::removeTab(int tabIndex)
{
    // Taken as an index into the tab order, as everywhere else: the holder's stacking order
    // changes with every selection.
    auto* tab = tabs[tabIndex];

    if (tab == nullptr)
        return;

    tabs.remove(tabIndex);
    delete tab;
    tabsChanged();
}

void OldTabbedComponent::clearTabs()
{
    tabs.clear();
    tabHolder->deleteAllChildren();
    tabsChanged();
}

void OldTabbedComponent::tabsChanged()
{
    tabHolder->resized();

    const auto vertical = scrollBar->isVertical();
    int runStart = 0;
    int runEnd = 0;

    for (int i = tabHolder->getNumChildComponents(); --i >= 0;)
    {
        const auto bounds = tabHolder->getChildComponent(i)->getBounds();
        runStart = juce::jmin(runStart, vertical ? bounds.getY() : bounds.getX());
        runEnd = juce::jmax(runEnd, vertical ? bounds.getBottom() : bounds.getRight());
    }

    scrollBar->setRangeLimits(0.0, static_cast<double>(runEnd - runStart));
    resized();
    repaint();
}

void OldTabbedComponent::setCurrentlySelectedTab(int tabIndex)
{
    const auto changed = tabIndex != currentTabIndex;

    if (changed)
    {
        currentTabIndex = tabIndex;

        if (auto* tab = tabs[tabIndex])
            tab->toFront(true);

        tabsChanged();
    }

    tabWasClicked(tabIndex, !changed, juce::ModifierKeys::getCurrentModifiers());
}
