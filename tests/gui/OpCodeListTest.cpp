#include "gui/OXVstOpCodeListComponent.h"
#include "logger/OXLogger.h"
#include "tests/gui/PixelProbe.h"
#include "tests/gui/RecordingPeer.h"

#include <gtest/gtest.h>

namespace
{
using Group = OXLogger::vstOpCodeGroup;

class OpCodeList : public ::testing::Test
{
protected:
    void SetUp() override { logger.init("TestPlugin"); }

    std::unique_ptr<OXVstOpCodeListComponent> makeList(Group group, int height)
    {
        auto list = std::make_unique<OXVstOpCodeListComponent>(logger, group);
        list->setSize(560, height);
        list->init();
        return list;
    }

    OXLogger logger;
};

const juce::Rectangle<int> nameArea(14, 0, 60, 16);
const juce::Point<int> lampCentre(7, 8);
const juce::Point<int> background(200, 2);
} // namespace

TEST_F(OpCodeList, PageOf624FillsColumnsOf39)
{
    for (const Group group : {OXLogger::vstDispatcherOpCodes, OXLogger::vstAudioMasterOpCodes})
    {
        auto list = makeList(group, 624);
        const int n = logger.getVstNumOpCodes(group);
        ASSERT_EQ(list->getNumRows(), n);
        ASSERT_EQ(list->getNumChildComponents(), n);
        for (int i = 0; i < n; ++i)
        {
            const auto* row = list->getRow(i);
            EXPECT_EQ(row->getOpCode(), i);
            EXPECT_EQ(row->getBounds(),
                      juce::Rectangle<int>(i < 39 ? 0 : 282, 16 * (i % 39), 280, 16))
                << "opcode " << i;
            EXPECT_TRUE(row->isVisible());
        }
    }
}

// The documented colours, written out here rather than taken from the code's constants, so a
// mistyped constant shows as a wrong pixel.
constexpr juce::uint32 kBack = 0xfff2f2f2, kLampOn = 0xffe5b780, kLampOff = 0xfffdf1d4,
                       kGreyText = 0xff8b8b8b, kBlackText = 0xff000000, kSeparator = 0xffe0e0e0;

TEST_F(OpCodeList, RowPixelsShowLampNameAndCountInTheDocumentedColours)
{
    const struct
    {
        const char* state;
        bool logged;
        uint32_t count;
        juce::uint32 lamp, background, name;
        bool numberShown;
    } cases[] = {
        {"logged, never called", true, 0, kLampOn, kBack, kGreyText, false},
        {"not logged, called once", false, 1, kLampOff, kBack, kBlackText, true},
        {"count wrapped negative", true, 0x80000000u, kLampOn, kBack, kBlackText, false},
    };
    for (const auto& c : cases)
    {
        logger.setVstOpCodeEnabled(c.logged, OXLogger::vstDispatcherOpCodes, 2);
        logger.logInfo(OXLogger::vstDispatcherOpCodes)[2].count.store(c.count);
        auto list = makeList(OXLogger::vstDispatcherOpCodes, 624);
        const juce::Image image = PixelProbe::render(*list->getRow(2));
        EXPECT_COLOUR(image.getPixelAt(lampCentre.x, lampCentre.y), juce::Colour(c.lamp))
            << c.state;
        EXPECT_COLOUR(image.getPixelAt(background.x, background.y), juce::Colour(c.background))
            << c.state;
        EXPECT_COLOUR(PixelProbe::darkestIn(image, nameArea), juce::Colour(c.name)) << c.state;
        // Right-aligned digits at the right end of the count box.
        EXPECT_EQ(!PixelProbe::allPixelsAre(image, {262, 1, 16, 13}, juce::Colour(c.background)),
                  c.numberShown)
            << c.state;
        EXPECT_EQ(image.getPixelAt(0, 8).getAlpha(), 0) << "the border is left unpainted";
        EXPECT_COLOUR(image.getPixelAt(100, 15).withAlpha(1.0f), juce::Colour(kSeparator));
    }
}

TEST_F(OpCodeList, ClickWithAnyButtonTogglesTheRowsSwitch)
{
    auto list = makeList(OXLogger::vstDispatcherOpCodes, 624);
    PeerHost host(*list);
    auto& peer = host.peer();
    const auto* row = list->getRow(20);
    peer.click(row->getBounds().getCentre(), juce::ModifierKeys::middleButtonModifier);
    EXPECT_FALSE(logger.isVstOpCodeEnabled(OXLogger::vstDispatcherOpCodes, 20));
    EXPECT_NE(std::find(peer.repaints.begin(), peer.repaints.end(), row->getBounds()),
              peer.repaints.end());

    peer.click(list->getRow(45)->getBounds().getCentre());
    EXPECT_FALSE(logger.isVstOpCodeEnabled(OXLogger::vstDispatcherOpCodes, 45));
    logger.setVstOpCodesEnabled(true);
    peer.click({281, row->getBounds().getCentreY()});
    for (int i = 0; i < 77; ++i)
        EXPECT_TRUE(logger.isVstOpCodeEnabled(OXLogger::vstDispatcherOpCodes, i));
}
