// The layout of OldTabbedComponent: strip, scroll bar, page, frame pieces and the outline.
#include "tabs/OldTabbedComponent.h"

#include "tabs/OldTabbedComponentBasicTab.h"
#include "tabs/TabEdgeDrawComponent.h"
#include "tabs/TabHolderComponent.h"
#include "tabs/TabOutline.h"

namespace
{
// A widget smaller than its strip would otherwise hand JUCE negative sizes.
void setBoundsClamped(juce::Component& component, int x, int y, int width, int height)
{
    component.setBounds(x, y, juce::jmax(0, width), juce::jmax(0, height));
}

constexpr int scrollBarThickness = 18;
} // namespace

void OldTabbedComponent::syncScrollBarToHolder()
{
    const auto visibleLength =
        scrollBar->isVertical() ? tabHolder->getHeight() : tabHolder->getWidth();
    scrollBar->setCurrentRange(scrollBar->getCurrentRangeStart(),
                               static_cast<double>(visibleLength));
}

void OldTabbedComponent::resized()
{
    syncScrollBarToHolder();

    juce::Rectangle<int> pageBox;
    juce::Rectangle<int> frameBox;
    layOutStrip(pageBox, frameBox);

    contentArea = {pageBox.getX() + 2 * contentGapX, pageBox.getY() + 2 * contentGapY,
                   juce::jmax(0, pageBox.getWidth() - 4 * contentGapX),
                   juce::jmax(0, pageBox.getHeight() - 4 * contentGapY)};

    if (contentComponent != nullptr)
        contentComponent->setBounds(contentArea);

    layOutFrame(frameBox);
    rebuildOutline(pageBox);
    repaint();

    // The range was set from the holder's length before this layout; when the layout changed
    // that length (a shrinking window), tell the scroll bar, whose notification lays out again.
    syncScrollBarToHolder();
}

void OldTabbedComponent::layOutStrip(juce::Rectangle<int>& pageBox, juce::Rectangle<int>& frameBox)
{
    const auto W = getWidth();
    const auto H = getHeight();
    const auto S = scrollBar->isVisible() ? scrollBarThickness : 0;
    const auto C = juce::roundToInt(cornerSize);
    const auto E = C + 2;
    const auto D = tabDepth;
    const auto I1 = tabInsetStart;
    const auto I2 = tabInsetEnd;

    switch (orientation)
    {
    case tabsOnTop:
    {
        setBoundsClamped(*tabHolder, I1, 0, W - (2 * S + I1 + I2), C + D);
        const auto holder = tabHolder->getBounds();
        setBoundsClamped(*scrollBar, holder.getRight(), 0, 2 * S, D);
        pageBox = {0, D, W, H - D};
        frameBox = {0, C + D, W, H - (C + D)};
        setBoundsClamped(*edges[4], 0, holder.getBottom() - E, holder.getX(), E);
        setBoundsClamped(*edges[5], holder.getRight(), holder.getBottom() - E,
                         W - holder.getRight(), E);
        break;
    }
    case tabsOnBottom:
    {
        setBoundsClamped(*tabHolder, I1, H - (C + D), W - (2 * S + I1 + I2), C + D);
        const auto holder = tabHolder->getBounds();
        setBoundsClamped(*scrollBar, holder.getRight(), H - D, 2 * S, D);
        pageBox = {0, 0, W, H - D};
        frameBox = {0, 0, W, H - (C + D)};
        setBoundsClamped(*edges[4], 0, holder.getY(), holder.getX(), E);
        setBoundsClamped(*edges[5], holder.getRight(), holder.getY(), W - holder.getRight(), E);
        break;
    }
    case tabsOnLeft:
    {
        setBoundsClamped(*tabHolder, S, I1, C + D, H - (I1 + I2));
        const auto holder = tabHolder->getBounds();
        setBoundsClamped(*scrollBar, 0, I1, S, H - (I1 + I2));
        pageBox = {S + D, 0, W - (S + D), H};
        frameBox = {C + S + D, 0, W - (C + S + D), H};
        setBoundsClamped(*edges[4], holder.getRight() - E, 0, E, holder.getY());
        setBoundsClamped(*edges[5], holder.getRight() - E, holder.getBottom(), E,
                         H - holder.getBottom());
        break;
    }
    case tabsOnRight:
    {
        setBoundsClamped(*tabHolder, W - (C + S + D), I1, C + D, H - (I1 + I2));
        const auto holder = tabHolder->getBounds();
        setBoundsClamped(*scrollBar, holder.getRight(), I1, S, H - (I1 + I2));
        pageBox = {0, 0, W - (S + D), H};
        frameBox = {0, 0, W - (C + S + D), H};
        setBoundsClamped(*edges[4], holder.getX(), 0, E, holder.getY());
        setBoundsClamped(*edges[5], holder.getX(), holder.getBottom(), E, H - holder.getBottom());
        break;
    }
    }
}

void OldTabbedComponent::layOutFrame(juce::Rectangle<int> frameBox)
{
    const auto& page = contentArea;
    setBoundsClamped(*edges[0], frameBox.getX(), frameBox.getY(), frameBox.getWidth(),
                     page.getY() - frameBox.getY());
    setBoundsClamped(*edges[1], frameBox.getX(), page.getBottom(), frameBox.getWidth(),
                     frameBox.getBottom() - page.getBottom());
    setBoundsClamped(*edges[2], frameBox.getX(), page.getY(), page.getX() - frameBox.getX(),
                     page.getHeight());
    setBoundsClamped(*edges[3], page.getRight(), page.getY(), frameBox.getRight() - page.getRight(),
                     page.getHeight());
}

void OldTabbedComponent::rebuildOutline(juce::Rectangle<int> pageBox)
{
    const auto inset = juce::jmin(normalOutlineThickness, selectedOutlineThickness);
    std::optional<juce::Rectangle<int>> selectedTab;

    if (auto* tab = tabs[currentTabIndex])
        selectedTab = tab->getBounds() + tabHolder->getPosition();

    outlinePath = createTabOutlinePolygon(orientation, pageBox, selectedTab, inset)
                      .createPathWithRoundedCorners(cornerSize);

    const auto width = selectedTab.has_value() ? selectedOutlineThickness : normalOutlineThickness;
    outlineStroke.clear();
    juce::PathStrokeType(width, juce::PathStrokeType::mitered, juce::PathStrokeType::butt)
        .createStrokedPath(outlineStroke, outlinePath);
}
