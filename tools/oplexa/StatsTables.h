// What `oplexa stats` adds up from the timed calls: a row per function and opcode for all
// threads and for each of the first kShownThreads threads (the rest share one table), and the
// audio's real-time budget: a block of F frames at the rate R of the last effSetSampleRate has
// F / R seconds, and its process call is over budget when it takes longer.
#pragma once

#include "tools/oplexa/StatsHistogram.h"
#include "tools/oplexa/StatsTimer.h"
#include "vst/OpCodeInfo.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace oplexa
{
class StatsTable
{
public:
    // Every dispatcher and audioMaster opcode of the table, the five other functions, and one row
    // each for opcodes outside the table and for functions outside the record.
    static size_t rowOf(uint8_t function, int32_t opcode) noexcept;
    static std::string rowName(size_t row);

    void add(const TimedCall& call);
    // The rows that have calls, the longest total first.
    std::vector<size_t> rowsByTotal() const;
    const StatsHistogram& row(size_t index) const { return *rows[index]; }

private:
    static constexpr size_t kRows = kNumDispatcherOpCodes + kNumAudioMasterOpCodes + 8;
    std::array<std::unique_ptr<StatsHistogram>, kRows> rows;
};

struct Block
{
    uint64_t call = 0;
    uint64_t beginNs = 0;
    uint64_t ns = 0;
    double budgetNs = 0;
    uint32_t thread = 0;
};

struct AudioBudget
{
    uint64_t blocks = 0;            // timed process calls
    uint64_t blocksWithoutRate = 0; // before any effSetSampleRate: no budget
    uint64_t processNs = 0;         // of the blocks with a budget
    double audioNs = 0;             // their budgets together
    uint64_t overBudget = 0;
    bool hasWorst = false;
    Block worst; // the largest share of its budget, the first of equals
    double share() const { return audioNs > 0 ? static_cast<double>(processNs) / audioNs : 0; }

    // For the picture: the blocks with a budget.
    StatsHistogram times;
    double smallestBudgetNs = 0;
    double largestBudgetNs = 0;
    uint64_t lastEndNs = 0;
    int64_t frames = 0; // the first block's, and its rate
    double sampleRate = 0;
    bool blocksDiffer = false; // in frames or rate
};

// A block's budget in nanoseconds: 0 without a rate.
double budgetNsOf(const TimedCall& call) noexcept;

class SessionStats
{
public:
    static constexpr size_t kShownThreads = 6;
    struct ThreadTable
    {
        uint32_t thread;
        StatsTable table;
    };

    void add(const TimedCall& call);

    StatsTable all;
    std::vector<ThreadTable> threads; // in the order of their first timed call
    StatsTable otherThreads;
    std::vector<uint32_t> otherThreadNumbers; // up to StatsTimer::kMaxThreads
    AudioBudget audio;

private:
    void addBlock(const TimedCall& call);
};
} // namespace oplexa
