#include "tools/oplexa/StatsPlot.h"

#include "record/RecordFormat.h"

#include <algorithm>
#include <cmath>

namespace oplexa
{
double LogScale::at(double ns) const
{
    const double clamped = std::clamp(ns, lowNs, highNs);
    return std::log10(clamped / lowNs) / std::log10(highNs / lowNs);
}

LogScale LogScale::around(const AudioBudget& audio)
{
    // At most seven decades, the top one holding the budget and the longest block.
    constexpr double kMostDecades = 7;
    if (audio.times.count() == 0)
        return {1e4, 1e8};
    const double top = std::max(
        {static_cast<double>(audio.times.maxNs()) * 1.2, audio.largestBudgetNs * 1.2, 100.0});
    const double bottom = std::max(static_cast<double>(audio.times.minNs()) * 0.8, 10.0);
    LogScale scale;
    scale.highNs = std::pow(10, std::ceil(std::log10(top)));
    scale.lowNs = std::max(std::pow(10, std::floor(std::log10(bottom))),
                           scale.highNs / std::pow(10, kMostDecades));
    return scale;
}

double tickStep(double span)
{
    const double rough = span / 8;
    const double power = std::pow(10, std::floor(std::log10(rough)));
    for (const double factor : {1.0, 2.0, 5.0})
        if (power * factor >= rough)
            return power * factor;
    return power * 10;
}

double timeAxisSeconds(const AudioBudget& audio)
{
    const double end = std::max(1e-3, static_cast<double>(audio.lastEndNs) / 1e9);
    // A block that ends a hair past a tick is not worth another step of empty axis.
    return std::ceil(end / tickStep(end) - 0.01) * tickStep(end);
}

StatsPlot::StatsPlot(const AudioBudget& audio, int columnCount, int levelCount)
    : scale(LogScale::around(audio)), blocksDrawn(audio.times.count() <= kMaxBlockPoints),
      marksDrawn(audio.overBudget <= kMaxMarks),
      columnNs(std::max(1.0, timeAxisSeconds(audio) * 1e9 / columnCount)), levels(levelCount)
{
    if (!blocksDrawn || !marksDrawn)
        columns.resize(static_cast<size_t>(columnCount));
    if (!blocksDrawn)
        counts.resize(static_cast<size_t>(columnCount) * static_cast<size_t>(levelCount));
}

size_t StatsPlot::columnOf(uint64_t beginNs) const
{
    return std::min(columns.size() - 1,
                    static_cast<size_t>(static_cast<double>(beginNs) / columnNs));
}

double StatsPlot::levelNs(int level) const
{
    return scale.lowNs * std::pow(scale.highNs / scale.lowNs, (level + 0.5) / levels);
}

void StatsPlot::add(const TimedCall& call)
{
    const double budget = budgetNsOf(call);
    if (!recordFormat::isProcessFunction(call.function) || budget <= 0)
        return;
    const Point point{static_cast<double>(call.beginNs) / 1e9, static_cast<double>(call.ns),
                      budget};
    const bool over = point.ns > budget;
    if (blocksDrawn)
        blocks.push_back(point);
    if (over && marksDrawn)
        marks.push_back(point);
    if (columns.empty())
        return;
    const size_t index = columnOf(call.beginNs);
    Column& column = columns[index];
    column.smallestBudgetNs =
        column.blocks == 0 ? budget : std::min(column.smallestBudgetNs, budget);
    ++column.blocks;
    column.longestNs = std::max(column.longestNs, call.ns);
    column.over += over ? 1 : 0;
    if (!blocksDrawn)
    {
        const int level = std::min(levels - 1, static_cast<int>(scale.at(point.ns) * levels));
        ++counts[index * static_cast<size_t>(levels) + static_cast<size_t>(level)];
    }
}

void StatsPlot::finish()
{
    for (size_t index = 0; index < columns.size(); ++index)
    {
        const Column& column = columns[index];
        if (column.blocks == 0)
            continue;
        const double seconds = (static_cast<double>(index) + 0.5) * columnNs / 1e9;
        const double longestNs = static_cast<double>(column.longestNs);
        if (column.over > 0 && !marksDrawn)
            marks.push_back({seconds, longestNs, column.smallestBudgetNs});
        if (blocksDrawn)
            continue;
        longest.push_back({seconds, longestNs, column.smallestBudgetNs});
        uint64_t seen = 0;
        for (int level = 0; level < levels; ++level)
        {
            seen += counts[index * static_cast<size_t>(levels) + static_cast<size_t>(level)];
            if (seen * 2 >= column.blocks)
            {
                medians.push_back({seconds, levelNs(level), column.smallestBudgetNs});
                break;
            }
        }
    }
}
} // namespace oplexa
