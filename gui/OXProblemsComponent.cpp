#include "gui/OXProblemsComponent.h"

#include "gui/OXColours.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace
{
constexpr int kHeaderHeight = 22;
constexpr int kLineHeight = 18;
constexpr int kTextLineHeight = 15;
constexpr int kRowGap = 5;
constexpr int kTextX = 16;
constexpr int kRightGap = 6;
constexpr int kScrollBarThickness = 10;

juce::Font lineFont()
{
    return juce::Font(15.0f, juce::Font::plain);
}
juce::Font textFont()
{
    return juce::Font(13.0f, juce::Font::plain);
}
juce::Font headerFont()
{
    return juce::Font(13.0f, juce::Font::bold);
}

// The two numbers keep to the right edge, so they stay aligned under a scroll bar too.
struct Columns
{
    juce::Rectangle<int> severity, rule, side, count, firstCall;
};
Columns columnsFor(int width)
{
    const int firstCallX = width - kRightGap - 84;
    return {{kTextX, 0, 62, kLineHeight},
            {82, 0, 228, kLineHeight},
            {314, 0, 60, kLineHeight},
            {firstCallX - 86, 0, 80, kLineHeight},
            {firstCallX, 0, 84, kLineHeight}};
}

// A first firing's text is written once; a long one takes a second line rather than an
// ellipsis, as its end usually names the value that broke the rule.
int textLines(const juce::String& text, int width)
{
    return textFont().getStringWidthFloat(text) > static_cast<float>(width - kTextX - kRightGap)
               ? 2
               : 1;
}

int rowHeight(const OXProblemsComponent::Row& row, int width)
{
    return kLineHeight + kTextLineHeight * textLines(row.text, width) + kRowGap;
}

// Texts may quote the plug-in's own bytes; those that are not UTF-8 show as \xNN, as in the log.
juce::String shownText(const char* bytes, size_t room)
{
    const size_t length = strnlen(bytes, room);
    if (juce::CharPointer_UTF8::isValidString(bytes, static_cast<int>(length)))
        return juce::String::fromUTF8(bytes, static_cast<int>(length));
    juce::String text;
    for (size_t i = 0; i < length; ++i)
    {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte < 0x80)
            text << juce::String::charToString(static_cast<juce::juce_wchar>(byte));
        else
            text << "\\x" << juce::String::toHexString(byte).paddedLeft('0', 2);
    }
    return text;
}

juce::Colour lampColour(rules::Severity severity)
{
    return severity == rules::Severity::error ? oxProblemErrorColor : oxProblemWarningColor;
}
juce::Colour severityTextColour(rules::Severity severity)
{
    return severity == rules::Severity::error ? oxProblemErrorTextColor : oxProblemWarningTextColor;
}

void paintHeader(juce::Graphics& g, const Columns& columns, int width)
{
    g.setColour(oxTabTextColour);
    g.setFont(headerFont());
    const auto left = juce::Justification::centredLeft;
    const auto right = juce::Justification::centredRight;
    const int y = 2;
    g.drawText("Severity", columns.severity.withY(y), left, false);
    g.drawText("Rule", columns.rule.withY(y), left, false);
    g.drawText("Side", columns.side.withY(y), left, false);
    g.drawText("Count", columns.count.withY(y), right, false);
    g.drawText("First call", columns.firstCall.withY(y), right, false);
    g.setColour(oxTabNormalOutlineColour);
    g.fillRect(0, kHeaderHeight - 2, width, 2);
}
} // namespace

// The rows, as tall as they need; the page scrolls them under its header when they outgrow it.
class OXProblemsComponent::List : public juce::Component
{
public:
    explicit List(const OXProblemsComponent& shownBy) : page(shownBy)
    {
        setName("OXProblemsList");
        setOpaque(true);
    }

    int heightFor(int width) const
    {
        int height = 0;
        for (size_t index : page.order)
            height += rowHeight(page.tallies[index], width);
        return height;
    }

    void paint(juce::Graphics& g) override
    {
        g.fillAll(oxOpCodeBackColor);
        const int width = getWidth();
        const Columns columns = columnsFor(width);
        int y = 0;
        for (size_t index : page.order)
        {
            const Row& row = page.tallies[index];
            const int height = rowHeight(row, width);
            paintRow(g, row, columns, y, width, height);
            y += height;
        }
    }

private:
    static void paintRow(juce::Graphics& g, const Row& row, const Columns& columns, int y,
                         int width, int height)
    {
        const rules::RuleInfo& info = rules::ruleInfo(row.rule);
        const auto lamp = lampColour(info.severity);
        const float lampY = static_cast<float>(y) + 5.0f;
        g.setColour(lamp);
        g.fillEllipse(3.0f, lampY, 8.0f, 8.0f);
        g.setColour(lamp.interpolatedWith(juce::Colours::white, 0.5f));
        g.drawEllipse(2.0f, lampY - 1.0f, 10.0f, 10.0f, 1.0f);

        g.setFont(lineFont());
        g.setColour(severityTextColour(info.severity));
        g.drawText(rules::severityName(info.severity), columns.severity.withY(y),
                   juce::Justification::centredLeft, true);
        g.setColour(oxOpCodeTextColorNonZero);
        g.drawText(info.id, columns.rule.withY(y), juce::Justification::centredLeft, true);
        g.drawText(juce::String(juce::uint64(row.count)), columns.count.withY(y),
                   juce::Justification::centredRight, true);
        g.setColour(oxAEffectTextColor);
        g.drawText(rules::sideName(info.side), columns.side.withY(y),
                   juce::Justification::centredLeft, true);
        if (row.firstKnown)
            g.drawText(juce::String(juce::uint64(row.firstCall)), columns.firstCall.withY(y),
                       juce::Justification::centredRight, true);

        g.setFont(textFont());
        const juce::Rectangle<int> textBox(kTextX, y + kLineHeight, width - kTextX - kRightGap,
                                           height - kLineHeight - kRowGap);
        g.drawFittedText(row.text, textBox, juce::Justification::topLeft, 2, 1.0f);

        g.setColour(oxOpCodeOutColor);
        g.fillRect(0, y + height - 1, width, 1);
    }

    const OXProblemsComponent& page;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(List)
};

OXProblemsComponent::OXProblemsComponent(const rules::RuleChecker& checkerToShow)
    : checker(checkerToShow), list(std::make_unique<List>(*this))
{
    setName("OXProblemsComponent");
    setOpaque(true);
    for (size_t i = 0; i < rules::kRuleCount; ++i)
        tallies[i].rule = static_cast<rules::Rule>(i);
    order.reserve(rules::kRuleCount);
    viewport.setViewedComponent(list.get(), false);
    viewport.setScrollBarsShown(true, false);
    viewport.setScrollBarThickness(kScrollBarThickness);
    viewport.getVerticalScrollBar().setColour(juce::ScrollBar::thumbColourId,
                                              oxTabSelectedOutlineColour);
    addChildComponent(viewport);
    readTallies();
}

OXProblemsComponent::~OXProblemsComponent() = default;

bool OXProblemsComponent::readTallies()
{
    bool changed = false;
    for (Row& row : tallies)
    {
        const rules::Tally& tally = checker.tally(row.rule);
        // Before the count: the thread that fired first counted before it published.
        const bool firstWritten = tally.firstWritten.load(std::memory_order_acquire);
        const uint64_t count = tally.count.load(std::memory_order_relaxed);
        if (count != row.count)
        {
            row.count = count;
            changed = true;
        }
        if (firstWritten && !row.firstKnown)
        {
            row.firstKnown = true;
            row.firstCall = tally.firstCall;
            row.text = shownText(tally.firstText, sizeof tally.firstText);
            changed = true;
        }
    }
    if (!changed)
        return false;

    order.clear();
    for (size_t i = 0; i < rules::kRuleCount; ++i)
        if (tallies[i].count != 0 || tallies[i].firstKnown)
            order.push_back(i);
    // A rule whose first call is not written yet goes last in its group, for a tick.
    const auto firstCall = [this](size_t index)
    {
        const Row& row = tallies[index];
        return row.firstKnown ? row.firstCall : std::numeric_limits<uint64_t>::max();
    };
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b)
                     {
                         const auto severityA = rules::ruleInfo(tallies[a].rule).severity;
                         const auto severityB = rules::ruleInfo(tallies[b].rule).severity;
                         if (severityA != severityB)
                             return severityA == rules::Severity::error;
                         return firstCall(a) < firstCall(b);
                     });
    return true;
}

void OXProblemsComponent::updateGUI()
{
    if (!readTallies())
        return;
    layOut();
    repaint();
}

void OXProblemsComponent::resized()
{
    viewport.setBounds(getLocalBounds().withTrimmedTop(kHeaderHeight));
    layOut();
}

void OXProblemsComponent::layOut()
{
    viewport.setVisible(!order.empty());
    int width = viewport.getWidth();
    int height = list->heightFor(width);
    if (height > viewport.getHeight())
    {
        width -= kScrollBarThickness;
        height = list->heightFor(width);
    }
    list->setSize(width, height);
    list->repaint();
}

void OXProblemsComponent::paint(juce::Graphics& g)
{
    g.fillAll(oxOpCodeBackColor);
    if (!order.empty())
    {
        paintHeader(g, columnsFor(list->getWidth()), getWidth());
        return;
    }
    const int width = getWidth();
    g.setColour(oxTabTextColour);
    g.setFont(juce::Font(20.0f, juce::Font::plain));
    g.drawText("No problems found", 0, 180, width, 28, juce::Justification::centred, false);
    g.setColour(oxOpCodeTextColorZero);
    g.setFont(textFont().withHeight(14.0f));
    g.drawFittedText("A rule that the host or the plug-in breaks shows here as it happens,\nwith "
                     "the call where it first broke.",
                     40, 214, width - 80, 40, juce::Justification::centredTop, 2, 1.0f);
}

std::vector<const OXProblemsComponent::Row*> OXProblemsComponent::getShownRows() const
{
    std::vector<const Row*> shown;
    for (size_t index : order)
        shown.push_back(&tallies[index]);
    return shown;
}
