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

    juce::Component* frontTab() const
    {
        auto* holder = widget.getTabHolder();
        return holder->getChildComponent(holder->getNumChildComponents() - 1);
    }

    RecordingTabbedComponent widget;
};

TEST_F(TabSelection, ClickSelectsBringsForwardAndReportsEveryTime)
{
    widget.getTabComponent(0)->activateThisTab();
    EXPECT_EQ(widget.getCurrentTabIndex(), 0);
    EXPECT_EQ(frontTab(), widget.getTabComponent(0));
    ASSERT_EQ(widget.clicks.size(), 1u);
    EXPECT_EQ(widget.clicks[0].index, 0);
    EXPECT_FALSE(widget.clicks[0].wasAlreadySelected);

    // Re-clicking reports without laying out.
    const auto layouts = widget.layouts;
    widget.getTabComponent(0)->activateThisTab();
    EXPECT_EQ(widget.layouts, layouts);
    ASSERT_EQ(widget.clicks.size(), 2u);
    EXPECT_EQ(widget.clicks[1].index, 0);
    EXPECT_TRUE(widget.clicks[1].wasAlreadySelected);

    // The stacking order changes, the tab order does not.
    widget.setCurrentlySelectedTab(2);
    EXPECT_EQ(frontTab(), widget.getTabComponent(2));
    EXPECT_EQ(widget.getTabIndex(widget.getTabComponent(0)), 0);
    EXPECT_EQ(widget.getTabHolder()->getIndexOfChildComponent(widget.getTabComponent(0)), 1);
}

TEST(TabOwnership, SwappingPagesHandsTheOldOneBack)
{
    juce::Component first, second;
    RecordingTabbedComponent widget;
    widget.setSize(400, 300);

    EXPECT_EQ(widget.setContentComponent(&first), nullptr);
    EXPECT_EQ(first.getParentComponent(), &widget);
    EXPECT_TRUE(first.isVisible());
    const auto layouts = widget.layouts;
    EXPECT_EQ(widget.setContentComponent(&first), nullptr);
    EXPECT_EQ(widget.layouts, layouts) << "showing the shown page changes nothing";

    EXPECT_EQ(widget.setContentComponent(&second), &first);
    EXPECT_EQ(first.getParentComponent(), nullptr);
    EXPECT_EQ(second.getBounds(), widget.getContentArea());
    EXPECT_EQ(widget.setContentComponent(nullptr), &second);
}
} // namespace
