#include "bridge/ProxyEffect.h"
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
        std::memset(static_cast<void*>(&proxyEffect), 0, sizeof proxyEffect);
        proxyEffect.magic = kEffectMagic;
        proxyEffect.numInputs = 2;
        proxyEffect.ioRatio = 1.0f;
        view.setSize(560, 624);
        view.init();
    }
    void TearDown() override
    {
        std::memset(static_cast<void*>(&proxyEffect), 0, sizeof proxyEffect);
    }

    juce::String shownText() const { return view.getTextEditor()->getText(); }

    OXVstAEffectComponent view;
};
} // namespace

TEST_F(AEffectView, FirstTickFillsTheTextFromTheProxyRecord)
{
    EXPECT_TRUE(shownText().isEmpty());
    view.updateGUI();
    EXPECT_EQ(shownText(), describeAEffect(proxyEffect));
    EXPECT_TRUE(shownText().startsWith("magic: VstP\n"));
}

TEST_F(AEffectView, RowsInRecordOrderCountTheSevenFunctions)
{
    // processDoubleReplacing, function 6, sits under processReplacing.
    const int rows[] = {0, 1, 2, 3, 6, 4, 5};
    for (int y = 0; y < 7; ++y)
        EXPECT_EQ(view.getRow(rows[y])->getY(), 16 * y) << "function " << rows[y];
    view.updateGUI();
    oxLogger.resetVstOpCodeCounters();
    oxLogger.logVstGetParameter(0);
    EXPECT_EQ(view.getRow(5)->getShownCount(), 0);
    PeerHost host(view);
    host.peer().repaints.clear();
    view.updateGUI();
    ASSERT_EQ(host.peer().repaints.size(), 1u);
    EXPECT_EQ(host.peer().repaints[0], view.getRow(5)->getBounds());
    EXPECT_EQ(view.getRow(5)->getShownCount(), 1);
}
