// The "Problems" page, shown while the session checks rules: one row per rule that fired, errors
// before warnings, each group in the order its rules first fired. Message thread only; the
// checker's tallies are read while other threads count them, without a lock.
#pragma once

#include "rules/RuleChecker.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <vector>

class OXProblemsComponent : public juce::Component
{
public:
    // One rule's tally as the page last read it.
    struct Row
    {
        rules::Rule rule = rules::Rule::count;
        uint64_t count = 0;
        // The first firing's call and text; false while its thread is still writing them.
        bool firstKnown = false;
        uint64_t firstCall = 0;
        juce::String text;
    };

    // The checker must outlive the page.
    explicit OXProblemsComponent(const rules::RuleChecker& checker);
    ~OXProblemsComponent() override;

    // Every tick while the page is shown: reads the tallies, and lays out and repaints only
    // when one changed.
    void updateGUI();
    void paint(juce::Graphics& g) override;
    void resized() override;

    // The rows in the order shown.
    std::vector<const Row*> getShownRows() const;

private:
    class List;

    bool readTallies();
    void layOut();

    const rules::RuleChecker& checker;
    Row tallies[rules::kRuleCount];
    // Indexes into tallies, in the order shown.
    std::vector<size_t> order;
    std::unique_ptr<List> list;
    juce::Viewport viewport;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(OXProblemsComponent)
};
