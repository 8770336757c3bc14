#include "tools/oplexa/StatsTables.h"

#include "record/RecordFormat.h"
#include "vst/OpCodeTable.h"

#include <algorithm>

namespace oplexa
{
namespace
{
constexpr size_t kFirstAudioMaster = kNumDispatcherOpCodes;
constexpr size_t kFirstFunction = kFirstAudioMaster + kNumAudioMasterOpCodes; // process
constexpr size_t kOtherDispatcher = kFirstFunction + kNumVstFunctions - 2;
constexpr size_t kOtherAudioMaster = kOtherDispatcher + 1;
constexpr size_t kOtherFunction = kOtherAudioMaster + 1;
} // namespace

size_t StatsTable::rowOf(uint8_t function, int32_t opcode) noexcept
{
    if (function == fnDispatcher)
        return opcode >= 0 && opcode < kNumDispatcherOpCodes ? static_cast<size_t>(opcode)
                                                             : kOtherDispatcher;
    if (function == fnAudioMaster)
        return opcode >= 0 && opcode < kNumAudioMasterOpCodes
                   ? kFirstAudioMaster + static_cast<size_t>(opcode)
                   : kOtherAudioMaster;
    if (function < kNumVstFunctions)
        return kFirstFunction + function - fnProcess;
    return kOtherFunction;
}

std::string StatsTable::rowName(size_t row)
{
    if (row < kFirstAudioMaster)
        return std::string("eff") + effOpCodes[row].name;
    if (row < kFirstFunction)
        return std::string("audioMaster") + audioMasterOpCodes[row - kFirstAudioMaster].name;
    if (row < kOtherDispatcher)
        return vstFunctionNames[row - kFirstFunction + fnProcess];
    if (row == kOtherDispatcher)
        return "dispatcher, opcodes outside the table";
    if (row == kOtherAudioMaster)
        return "audioMaster, opcodes outside the table";
    return "functions outside the record";
}

void StatsTable::add(const TimedCall& call)
{
    std::unique_ptr<StatsHistogram>& row = rows[rowOf(call.function, call.opcode)];
    if (row == nullptr)
        row = std::make_unique<StatsHistogram>();
    row->add(call.ns);
}

std::vector<size_t> StatsTable::rowsByTotal() const
{
    std::vector<size_t> used;
    for (size_t index = 0; index < kRows; ++index)
        if (rows[index] != nullptr)
            used.push_back(index);
    std::stable_sort(used.begin(), used.end(),
                     [this](size_t a, size_t b)
                     { return rows[a]->totalNs() > rows[b]->totalNs(); });
    return used;
}

double budgetNsOf(const TimedCall& call) noexcept
{
    if (call.sampleRate <= 0 || call.frames <= 0)
        return 0;
    return static_cast<double>(call.frames) * 1e9 / call.sampleRate;
}

void SessionStats::add(const TimedCall& call)
{
    all.add(call);
    auto shown =
        std::find_if(threads.begin(), threads.end(),
                     [&call](const ThreadTable& table) { return table.thread == call.thread; });
    if (shown == threads.end() && threads.size() < kShownThreads)
        shown = threads.insert(threads.end(), {call.thread, {}});
    if (shown != threads.end())
        shown->table.add(call);
    else
    {
        otherThreads.add(call);
        if (std::find(otherThreadNumbers.begin(), otherThreadNumbers.end(), call.thread) ==
            otherThreadNumbers.end())
            otherThreadNumbers.push_back(call.thread);
    }
    if (recordFormat::isProcessFunction(call.function))
        addBlock(call);
}

void SessionStats::addBlock(const TimedCall& call)
{
    ++audio.blocks;
    const double budget = budgetNsOf(call);
    if (budget <= 0)
    {
        ++audio.blocksWithoutRate;
        return;
    }
    if (audio.times.count() == 0)
    {
        audio.smallestBudgetNs = audio.largestBudgetNs = budget;
        audio.frames = call.frames;
        audio.sampleRate = call.sampleRate;
    }
    audio.blocksDiffer =
        audio.blocksDiffer || audio.frames != call.frames || audio.sampleRate != call.sampleRate;
    audio.smallestBudgetNs = std::min(audio.smallestBudgetNs, budget);
    audio.largestBudgetNs = std::max(audio.largestBudgetNs, budget);
    audio.lastEndNs = std::max(audio.lastEndNs, call.beginNs + call.ns);
    audio.times.add(call.ns);
    audio.processNs += call.ns;
    audio.audioNs += budget;
    if (static_cast<double>(call.ns) > budget)
        ++audio.overBudget;
    const double share = static_cast<double>(call.ns) / budget;
    if (!audio.hasWorst || share > static_cast<double>(audio.worst.ns) / audio.worst.budgetNs)
    {
        audio.hasWorst = true;
        audio.worst = {call.call, call.beginNs, call.ns, budget, call.thread};
    }
}
} // namespace oplexa
