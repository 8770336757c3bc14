#include "gui/OXContentComponent.h"
#include "gui/OXProblemsComponent.h"
#include "logger/OXLogger.h"
#include "rules/RuleChecker.h"
#include "tabs/OldTabbedComponentBasicTab.h"
#include "tests/gui/PixelProbe.h"
#include "vst/VstInterface.h"

#include <gtest/gtest.h>

#include <iterator>

namespace
{
const AEffect shownRecord{};

juce::StringArray tabNames(const OXContentComponent& content)
{
    juce::StringArray names;
    for (int i = 0; i < content.getNumTabs(); ++i)
        names.add(content.getTabComponent(i)->getName());
    return names;
}

juce::Component* childNamed(juce::Component& parent, const juce::String& name)
{
    for (auto* child : parent.getChildren())
        if (child->getName() == name)
            return child;
    return nullptr;
}

// A plug-in with four parameters that processes in place, and a host that sets parameter 9,
// sets parameter 0 to 2 twice, then processes before resuming: records 1, 3 and 5, and 7.
void breakThreeRules(rules::RuleChecker& checker)
{
    rules::PluginFacts plugin;
    plugin.flags = effFlagsCanReplacing;
    plugin.numParams = 4;
    plugin.numInputs = plugin.numOutputs = 2;
    plugin.hasProcessReplacing = true;
    checker.pluginStarted(plugin);
    rules::ThreadState thread;
    thread.number = 1;
    uint64_t record = 0;
    const auto callAndReturn = [&](rules::CallFacts call)
    {
        call.call = ++record;
        checker.hostCall(thread, call);
        call.call = ++record;
        checker.hostReturn(thread, call);
    };
    rules::CallFacts setParameter;
    setParameter.function = fnSetParameter;
    setParameter.index = 9;
    setParameter.floatResult = 0.5f;
    callAndReturn(setParameter);
    setParameter.index = 0;
    setParameter.floatResult = 2.0f;
    callAndReturn(setParameter);
    callAndReturn(setParameter);
    rules::CallFacts process;
    process.function = fnProcessReplacing;
    process.frames = 64;
    callAndReturn(process);
}
} // namespace

TEST(ProblemsPage, OnlyASessionThatChecksRulesHasTheTabAndTheControlsKeepTheirPlace)
{
    const rules::RuleChecker checker;
    const struct
    {
        const rules::RuleChecker* checker;
        juce::StringArray tabs;
    } cases[] = {
        {nullptr, {"AEffect", "Dispatcher OpCodes", "AudioMaster OpCodes", "About"}},
        {&checker, {"AEffect", "Dispatcher OpCodes", "AudioMaster OpCodes", "Problems", "About"}},
    };
    for (const auto& c : cases)
    {
        OXLogger logger;
        logger.init("TestPlugin");
        OXContentComponent content(shownRecord, logger, c.checker);
        content.setSize(768, 632);
        content.init();
        EXPECT_EQ(tabNames(content), c.tabs);
        EXPECT_EQ(content.getNumPages(), c.tabs.size());
        EXPECT_LE(content.getTabComponent(content.getNumTabs() - 1)->getBottom(), 116);
        auto* donate = childNamed(content, "DonateButton");
        ASSERT_NE(donate, nullptr);
        EXPECT_LE(donate->getBottom(), content.getHeight());

        const int problems = c.tabs.indexOf("Problems");
        for (int i = 0; i < content.getNumPages(); ++i)
            EXPECT_EQ(dynamic_cast<OXProblemsComponent*>(content.getPage(i)) != nullptr,
                      i == problems)
                << i;
    }
}

TEST(ProblemsPage, WithNothingBrokenItSaysSo)
{
    const rules::RuleChecker checker;
    OXProblemsComponent page(checker);
    page.setSize(560, 624);
    page.updateGUI();
    EXPECT_TRUE(page.getShownRows().empty());
    const juce::Image image = PixelProbe::render(page);
    // The words in the middle, no header row at the top.
    EXPECT_LT(PixelProbe::darkestIn(image, {180, 180, 200, 28}).getPerceivedBrightness(), 0.5f);
    EXPECT_TRUE(PixelProbe::allPixelsAre(image, {0, 0, 560, 40}, juce::Colour(0xfff2f2f2)));
}

TEST(ProblemsPage, ListsErrorsBeforeWarningsWithCountAndFirstCall)
{
    rules::RuleChecker checker;
    OXLogger logger;
    logger.init("TestPlugin");
    OXContentComponent content(shownRecord, logger, &checker);
    content.setSize(768, 632);
    content.init();
    content.setCurrentlySelectedTab(3);
    auto* page = dynamic_cast<OXProblemsComponent*>(content.getPage(3));
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(page->getShownRows().empty());

    breakThreeRules(checker);
    // The window's tick refreshes the page on show.
    content.updateGUI();
    // Neither the catalogue's order nor the order of first calls.
    const struct
    {
        rules::Rule rule;
        uint64_t count, firstCall;
    } expected[] = {{rules::Rule::indexOutOfRange, 1, 1},
                    {rules::Rule::processWhileSuspended, 1, 7},
                    {rules::Rule::parameterValueOutOfRange, 2, 3}};
    const auto rows = page->getShownRows();
    ASSERT_EQ(rows.size(), std::size(expected));
    for (size_t i = 0; i < rows.size(); ++i)
    {
        EXPECT_EQ(rows[i]->rule, expected[i].rule) << i;
        EXPECT_EQ(rows[i]->count, expected[i].count) << i;
        EXPECT_EQ(rows[i]->firstCall, expected[i].firstCall) << i;
    }
    for (const auto* row : rows)
        EXPECT_TRUE(row->firstKnown && row->text.isNotEmpty()) << rules::ruleInfo(row->rule).id;
    // A header over the rows.
    const juce::Image image = PixelProbe::render(*page);
    EXPECT_LT(PixelProbe::darkestIn(image, {0, 0, 560, 20}).getPerceivedBrightness(), 0.5f);
}
