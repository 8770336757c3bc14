// What the budget picture draws, gathered in a second walk over the recording once the first has
// given the session's span and the blocks' range: up to kMaxBlockPoints blocks each as a point,
// more as one column per pixel holding the longest block and the median (to the pixel); a mark
// for each over-budget block, or, past kMaxMarks of them, one per column that has any. Memory
// stays the same whatever the session's length.
#pragma once

#include "tools/oplexa/StatsTables.h"

#include <cstdint>
#include <vector>

namespace oplexa
{
// A block's time on a logarithmic axis from low to high nanoseconds, as a fraction from 0 at the
// bottom to 1 at the top; times outside are held to its ends.
struct LogScale
{
    double lowNs = 1000;
    double highNs = 1e6;
    double at(double ns) const;
    // Decades from 10 ns: low and high are powers of ten around the blocks and the budget.
    static LogScale around(const AudioBudget& audio);
};

// 1, 2 or 5 times a power of ten, so that about eight steps span the axis.
double tickStep(double span);
// The session's time axis: to the last block's end, rounded up to a tick.
double timeAxisSeconds(const AudioBudget& audio);

class StatsPlot
{
public:
    static constexpr uint64_t kMaxBlockPoints = 2000;
    static constexpr uint64_t kMaxMarks = 1000;

    StatsPlot(const AudioBudget& audio, int columns, int levels);
    void add(const TimedCall& call);

    struct Point
    {
        double seconds;
        double ns;
        double budgetNs;
    };
    bool eachBlock() const { return blocksDrawn; }
    bool eachMark() const { return marksDrawn; }
    double columnSeconds() const { return columnNs / 1e9; }
    // One per block, in the file's order; or one per column that has blocks, its longest and
    // median, and the smallest budget in it.
    std::vector<Point> blocks;
    std::vector<Point> longest;
    std::vector<Point> medians;
    std::vector<Point> marks;

    void finish();

private:
    struct Column
    {
        uint64_t blocks = 0;
        uint64_t longestNs = 0;
        uint64_t over = 0;
        double smallestBudgetNs = 0;
    };
    size_t columnOf(uint64_t beginNs) const;
    double levelNs(int level) const;

    LogScale scale;
    bool blocksDrawn;
    bool marksDrawn;
    double columnNs;
    int levels;
    std::vector<Column> columns;
    std::vector<uint32_t> counts; // per column, per level of the axis: where the median lies
};
} // namespace oplexa
