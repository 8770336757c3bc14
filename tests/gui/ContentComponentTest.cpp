#include "gui/OXContentComponent.h"
#include "gui/OXWebPages.h"
#include "logger/OXLogger.h"
#include "tests/gui/LogCapture.h"
#include "tests/gui/RecordingPeer.h"
#include "vst/VstInterface.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
const AEffect shownRecord{};

class TestContent : public OXContentComponent
{
public:
    explicit TestContent(OXLogger& testLogger) : OXContentComponent(shownRecord, testLogger) {}

    juce::StringArray openedPages;

protected:
    void openWebPage(const juce::URL& page) override { openedPages.add(page.toString(false)); }
};

template <typename ComponentType>
ComponentType* findControl(juce::Component& parent, const juce::String& name)
{
    for (auto* child : parent.getChildren())
        if (child->getName() == name)
            if (auto* typed = dynamic_cast<ComponentType*>(child))
                return typed;
    return nullptr;
}

class ContentComponent : public ::testing::Test
{
protected:
    void SetUp() override
    {
        logger.init("TestPlugin");
        // As the window does it: sized first, then laid out.
        content.setSize(768, 632);
        content.init();
        host = std::make_unique<PeerHost>(content);
        LogCapture::takeNewLines();
    }
    void TearDown() override { host.reset(); }

    RecordingPeer& peer() { return host->peer(); }

    juce::Button& control(const juce::String& name)
    {
        auto* button = findControl<juce::Button>(content, name);
        if (button == nullptr)
            throw std::runtime_error("no control named " + name.toStdString());
        return *button;
    }

    void click(const juce::String& name) { peer().click(control(name).getBounds().getCentre()); }

    OXLogger logger;
    TestContent content{logger};
    std::unique_ptr<PeerHost> host;
};
} // namespace

TEST_F(ContentComponent, TwoClicksOnTheLoggingButtonRestoreStopLogging)
{
    click("Stop Logging");
    auto& button = control("Start Logging");
    EXPECT_FALSE(logger.loggingActive);
    EXPECT_EQ(button.getButtonText(), "Start Logging");

    click("Start Logging");
    EXPECT_TRUE(logger.loggingActive);
    EXPECT_EQ(&control("Stop Logging"), &button);
    EXPECT_EQ(button.getButtonText(), "Stop Logging");
}

TEST_F(ContentComponent, TimeButtonLogsTheElapsedTimeAndRestarts)
{
    content.setStartTime(juce::Time::getCurrentTime() - juce::RelativeTime::seconds(75.4));
    click("TimeButton");
    const juce::StringArray lines = LogCapture::takeNewLines();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].endsWith(":Oplexa timer reset after 1 min 15 secs")) << lines[0];
    EXPECT_LT(std::abs((juce::Time::getCurrentTime() - content.getStartTime()).inSeconds()), 1.0);

    content.updateGUI();
    const juce::String shown = control("TimeButton").getButtonText();
    EXPECT_TRUE(shown == "0" || shown.endsWith(" ms")) << shown;

    // Written even while logging is stopped.
    logger.loggingActive = false;
    click("TimeButton");
    EXPECT_EQ(LogCapture::takeNewLines().size(), 1);
}

TEST_F(ContentComponent, EachCheckBoxSwitchesOnlyItsOwnFlag)
{
    using Flag = std::atomic<bool> OXLogger::*;
    const std::pair<const char*, Flag> boxes[] = {
        {"Log Parameters", &OXLogger::logParameters},
        {"Log Return Parameters", &OXLogger::logReturnParameters},
        {"Log Time", &OXLogger::logTime},
    };
    logger.setVstOpCodeEnabled(false, OXLogger::vstDispatcherOpCodes, 3);
    for (const auto& [name, flag] : boxes)
    {
        std::vector<std::pair<Flag, bool>> before;
        for (const Flag other : {&OXLogger::loggingActive, &OXLogger::logParameters,
                                 &OXLogger::logReturnParameters, &OXLogger::logTime})
            before.emplace_back(other, (logger.*other).load());
        click(name);
        for (const auto& [other, was] : before)
            EXPECT_EQ((logger.*other).load(), other == flag ? !was : was) << name;
        EXPECT_FALSE(logger.isVstOpCodeEnabled(OXLogger::vstDispatcherOpCodes, 3)) << name;
        EXPECT_TRUE(logger.isVstOpCodeEnabled(OXLogger::vstDispatcherOpCodes, 4)) << name;
    }
}

TEST_F(ContentComponent, WebPagesOpenOnTheMakersSite)
{
    click("Help...");
    click("DonateButton");
    click("LogoButton");
    const juce::String site(kOplexaSite);
    EXPECT_EQ(content.openedPages,
              juce::StringArray(site + "/oplexa/guide", site + "/oplexa/donate", site));

    // The logo's transparent corner is not part of the button.
    const auto logo = control("LogoButton").getBounds();
    content.openedPages.clear();
    peer().click(logo.getTopLeft() + juce::Point<int>(1, 1));
    EXPECT_TRUE(content.openedPages.isEmpty());
}
