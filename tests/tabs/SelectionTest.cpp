// Selection, the "does nothing when unchanged" rules, and who deletes what.
#include "tests/tabs/TabsTestSupport.h"

#include <gtest/gtest.h>

namespace
{
class TabSelection : public ::testing::Test
{
protected:
    void SetUp() override
    {
        widget.setSize(400, 300);
        addTabs(widget, 3);
    }

    RecordingTabbedComponent widget;
};

TEST_F(TabSelection, SelectingBringsTheTabForwardAndReportsIt)
{
    widget.setCurrentlySelectedTab(0);

    EXPECT_EQ(widget.getCurrentTabIndex(), 0);
    auto* holder = widget.getTabHolder();
    EXPECT_EQ(holder->getChildComponent(holder->getNumChildComponents() - 1),
              widget.getTabComponent(0));
    ASSERT_EQ(widget.clicks.size(), 1u);
    EXPECT_EQ(widget.clicks[0].index, 0);
    EXPECT_FALSE(widget.clicks[0].wasAlreadySelected);

    // Stacking order changes, the tab order does not.
    widget.setCurrentlySelectedTab(1);
    EXPECT_EQ(widget.getTabIndex(widget.getTabComponent(0)), 0);
    EXPECT_EQ(holder->getIndexOfChildComponent(widget.getTabComponent(0)), 1);
}

TEST_F(TabSelection, ReselectingReportsWithoutLayingOut)
{
    widget.setCurrentlySelectedTab(2);
    const auto layouts = widget.layouts;

    widget.getTabComponent(2)->activateThisTab();

    EXPECT_EQ(widget.layouts, layouts);
    ASSERT_EQ(widget.clicks.size(), 2u);
    EXPECT_EQ(widget.clicks[1].index, 2);
    EXPECT_TRUE(widget.clicks[1].wasAlreadySelected);
}

TEST_F(TabSelection, ClickingATabSelectsIt)
{
    widget.getTabComponent(1)->activateThisTab();
    EXPECT_EQ(widget.getCurrentTabIndex(), 1);
    ASSERT_EQ(widget.clicks.size(), 1u);
    EXPECT_EQ(widget.clicks[0].index, 1);
}

TEST_F(TabSelection, AnIndexWithoutATabSelectsNothingButIsReported)
{
    widget.setCurrentlySelectedTab(1);
    auto* holder = widget.getTabHolder();
    const auto front = holder->getChildComponent(holder->getNumChildComponents() - 1);

    widget.setCurrentlySelectedTab(7);

    EXPECT_EQ(widget.getCurrentTabIndex(), 7);
    EXPECT_EQ(widget.getTabComponent(7), nullptr);
    EXPECT_EQ(holder->getChildComponent(holder->getNumChildComponents() - 1), front);
    ASSERT_EQ(widget.clicks.size(), 2u);
    EXPECT_EQ(widget.clicks[1].index, 7);
    EXPECT_FALSE(widget.clicks[1].wasAlreadySelected);
    // Laid out as if nothing were selected: the outline is the page box alone.
    const auto pageBox = juce::Rectangle<float>(0, 25, 400, 275).reduced(1.25f);
    EXPECT_EQ(widget.getOutlinePath().getBounds(), pageBox);

    widget.removeTab(7);
    EXPECT_EQ(widget.getNumTabs(), 3);
}

TEST_F(TabSelection, RemovingAndClearingKeepTheSelectionIndex)
{
    widget.setCurrentlySelectedTab(2);
    widget.setCurrentlySelectedTab(0);
    auto* second = widget.getTabComponent(1);
    auto* third = widget.getTabComponent(2);

    // The index names a tab in tab order, whatever the stacking order after selections.
    widget.removeTab(1);
    EXPECT_EQ(widget.getNumTabs(), 2);
    EXPECT_EQ(widget.getTabComponent(1), third);
    EXPECT_EQ(widget.getTabHolder()->getIndexOfChildComponent(second), -1);
    EXPECT_EQ(boundsOf(third).getX(), 46);
    EXPECT_EQ(widget.getCurrentTabIndex(), 0);

    widget.clearTabs();
    EXPECT_EQ(widget.getNumTabs(), 0);
    EXPECT_EQ(widget.getTabComponent(0), nullptr);
    EXPECT_EQ(widget.getCurrentTabIndex(), 0);
    EXPECT_EQ(widget.getScrollBar()->getRangeLimit().getLength(), 0.0);
}

TEST_F(TabSelection, AddTabInsertsAtTheIndexWithoutMovingTheSelection)
{
    widget.setCurrentlySelectedTab(1);
    auto* selected = widget.getTabComponent(1);
    auto* inserted = new OldTabbedComponentBasicTab("new");

    widget.addTab(0, inserted);

    EXPECT_EQ(widget.getTabComponent(0), inserted);
    EXPECT_EQ(widget.getTabComponent(2), selected);
    EXPECT_EQ(widget.getCurrentTabIndex(), 1);
    EXPECT_EQ(boundsOf(inserted).getX(), 0);
    EXPECT_EQ(boundsOf(selected).getX(), 92);
    auto* holder = widget.getTabHolder();
    EXPECT_EQ(holder->getChildComponent(holder->getNumChildComponents() - 1), inserted);
}

TEST_F(TabSelection, UnchangedSettingsNeitherLayOutNorRepaint)
{
    widget.setVisible(true);
    RepaintCounter* counter = new RepaintCounter();
    widget.setCachedComponentImage(counter);
    counter->fullRepaints = 0;
    const auto layouts = widget.layouts;

    widget.setColours(juce::Colours::grey, juce::Colours::black, juce::Colours::white,
                      juce::Colours::white, juce::Colours::darkgrey);
    widget.setOutlineStyle(7.0f, 1.25f, 1.25f);
    widget.setTabOrientation(OldTabbedComponent::tabsOnTop, 25, 4, 4);
    EXPECT_EQ(counter->fullRepaints, 0);
    EXPECT_EQ(widget.layouts, layouts);

    widget.setColours(juce::Colours::grey, juce::Colours::black, juce::Colours::white,
                      juce::Colours::white, juce::Colours::red);
    EXPECT_EQ(counter->fullRepaints, 1);
    EXPECT_EQ(widget.getDeselectedTabColour(), juce::Colours::red);
    EXPECT_EQ(widget.layouts, layouts) << "colours need no layout";

    widget.setOutlineStyle(7.0f, 1.25f, 2.0f);
    EXPECT_EQ(widget.layouts, layouts + 1);
    widget.setTabOrientation(OldTabbedComponent::tabsOnTop, 25, 4, 5);
    EXPECT_EQ(widget.layouts, layouts + 2);
    widget.setTabInsets(0, 0);
    EXPECT_EQ(widget.layouts, layouts + 3) << "insets lay out even when unchanged";
    widget.setCachedComponentImage(nullptr);
}

TEST(TabOwnership, SwappingPagesHandsTheOldOneBack)
{
    auto first = std::make_unique<juce::Component>();
    auto second = std::make_unique<juce::Component>();
    {
        RecordingTabbedComponent widget;
        widget.setSize(400, 300);

        EXPECT_EQ(widget.setContentComponent(first.get()), nullptr);
        EXPECT_EQ(first->getParentComponent(), &widget);
        EXPECT_TRUE(first->isVisible());
        const auto layouts = widget.layouts;

        EXPECT_EQ(widget.setContentComponent(first.get()), nullptr);
        EXPECT_EQ(widget.layouts, layouts) << "showing the shown page changes nothing";

        EXPECT_EQ(widget.setContentComponent(second.get()), first.get());
        EXPECT_EQ(first->getParentComponent(), nullptr);
        EXPECT_EQ(second->getBounds(), widget.getContentArea());
        EXPECT_EQ(widget.setContentComponent(nullptr), second.get());
    }
    // Both pages are still ours; unique_ptr deletes them, and a double delete would crash.
}

TEST(TabOwnership, DestructionDeletesExactlyThePageShown)
{
    auto shownDeleted = std::make_shared<bool>(false);
    auto swappedDeleted = std::make_shared<bool>(false);
    auto swappedOut = std::make_unique<DeletionRecordingPage>(swappedDeleted);
    juce::Component::SafePointer<juce::Component> tab;
    juce::Component::SafePointer<juce::Component> holder;
    juce::Component::SafePointer<juce::Component> scrollBar;
    {
        RecordingTabbedComponent widget;
        addTabs(widget, 2);
        tab = widget.getTabComponent(1);
        holder = widget.getTabHolder();
        scrollBar = widget.getScrollBar();
        widget.setContentComponent(swappedOut.get());
        widget.setContentComponent(new DeletionRecordingPage(shownDeleted));
    }

    EXPECT_TRUE(*shownDeleted);
    EXPECT_FALSE(*swappedDeleted);
    EXPECT_EQ(tab.getComponent(), nullptr);
    EXPECT_EQ(holder.getComponent(), nullptr);
    EXPECT_EQ(scrollBar.getComponent(), nullptr);
}

TEST(TabOwnership, APageDeletedWhileShownIsNotDeletedAgain)
{
    auto deleted = std::make_shared<bool>(false);
    RecordingTabbedComponent widget;
    auto* page = new DeletionRecordingPage(deleted);
    widget.setContentComponent(page);
    delete page;
    EXPECT_TRUE(*deleted);
    EXPECT_EQ(widget.getContentComponent(), nullptr);
    // The widget's destructor runs next and must not touch the page.
}

TEST(TabOwnership, ATabWithoutOwnerIgnoresClicks)
{
    OldTabbedComponentBasicTab loose("loose");
    loose.activateThisTab();
    EXPECT_EQ(loose.getOwner(), nullptr);
    EXPECT_EQ(loose.getBounds(), juce::Rectangle<int>(0, 0, 50, 50));
    EXPECT_EQ(loose.getName(), "loose");
}
} // namespace
