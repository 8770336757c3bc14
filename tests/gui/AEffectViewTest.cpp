#include "gui/AEffectText.h"
#include "gui/OXVstAEffectComponent.h"
#include "tests/gui/RecordingPeer.h"

#include <gtest/gtest.h>

#include <cstring>

namespace
{
class AEffectView : public ::testing::Test
{
protected:
    void SetUp() override
    {
        logger.init("TestPlugin");
        std::memset(static_cast<void*>(&shown), 0, sizeof shown);
        shown.magic = kEffectMagic;
        shown.numInputs = 2;
        shown.ioRatio = 1.0f;
        view.setSize(560, 624);
        view.init();
    }
    void TearDown() override { std::memset(static_cast<void*>(&shown), 0, sizeof shown); }

    juce::String shownText() const { return view.getTextEditor()->getText(); }

    AEffect shown{};
    OXLogger logger;
    OXVstAEffectComponent view{shown, logger};
};
} // namespace

TEST_F(AEffectView, FirstTickFillsTheTextFromTheProxyRecord)
{
    EXPECT_TRUE(shownText().isEmpty());
    view.updateGUI();
    EXPECT_EQ(shownText(), describeAEffect(shown));
    EXPECT_TRUE(shownText().startsWith("magic: VstP\n"));
}

TEST_F(AEffectView, AChangedRecordIsShownAtTheNextTick)
{
    view.updateGUI();
    shown.numOutputs = 6;
    view.updateGUI();
    EXPECT_TRUE(shownText().contains("\nnumOutputs: 6\n"));
}

TEST_F(AEffectView, RowsInRecordOrderCountTheSevenFunctions)
{
    // processDoubleReplacing, function 6, sits under processReplacing.
    const int rows[] = {0, 1, 2, 3, 6, 4, 5};
    for (int y = 0; y < 7; ++y)
        EXPECT_EQ(view.getRow(rows[y])->getY(), 16 * y) << "function " << rows[y];
    view.updateGUI();
    logger.resetVstOpCodeCounters();
    logger.logVstGetParameter(0);
    EXPECT_EQ(view.getRow(5)->getShownCount(), 0);
    PeerHost host(view);
    host.peer().repaints.clear();
    view.updateGUI();
    ASSERT_EQ(host.peer().repaints.size(), 1u);
    EXPECT_EQ(host.peer().repaints[0], view.getRow(5)->getBounds());
    EXPECT_EQ(view.getRow(5)->getShownCount(), 1);
}
