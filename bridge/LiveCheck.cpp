#include "bridge/LiveCheck.h"

#include "bridge/Process.h"
#include "bridge/Recorder.h"
#include "logger/OXLogger.h"
#include "record/TickClock.h"
#include "rules/RuleCatalogue.h"

#include <cstring>
#include <iterator>
#include <new>

namespace liveCheck
{
namespace
{
constexpr auto relaxed = std::memory_order_relaxed;
constexpr uint8_t kRoleAudio = 1;

// "Problem process-while-suspended: processReplacing before effMainsChanged 1 (call 53)", from
// the thread whose call fired the rule first, through the log queue like the call lines.
void onFiring(void* context, rules::Rule rule, const rules::Tally& tally, uint64_t call,
              bool first) noexcept
{
    if (!first)
        return;
    char text[sizeof tally.firstText + 1];
    const size_t length = strnlen(tally.firstText, sizeof tally.firstText);
    std::memcpy(text, tally.firstText, length);
    text[length] = '\0';
    OXLogger& logger = *static_cast<OXLogger*>(context);
    LineBuffer line;
    logger.beginLine(line);
    line.appendLiteral("Problem ");
    line.appendText(rules::ruleInfo(rule).id);
    line.appendLiteral(": ");
    line.appendText(text);
    line.appendLiteral(" (call ");
    line.appendDecimal(static_cast<long>(call));
    line.appendChar(')');
    logger.writeLine(line);
}

// Where the recording's writer thread reports a block: on the session's audio thread.
rules::ThreadState audioThreadOf(const CheckNumbering& numbering) noexcept
{
    rules::ThreadState audio;
    audio.number = numbering.audioThread.load(relaxed);
    audio.role = kRoleAudio;
    return audio;
}

// The writer thread of the session's recording counted a process call's outputs.
void outputCounted(void* context, uint64_t processCall, int32_t channel, uint32_t nonFinite,
                   uint32_t denormal) noexcept
{
    auto& numbering = *static_cast<CheckNumbering*>(context);
    numbering.checker->outputCounts(audioThreadOf(numbering), processCall, channel, nonFinite,
                                    denormal);
}

// The writer thread timed a process call from its two records.
void processTimed(void* context, uint64_t processCall, uint8_t function, int32_t frames,
                  uint64_t ticks) noexcept
{
    auto& numbering = *static_cast<CheckNumbering*>(context);
    numbering.checker->processTook(audioThreadOf(numbering), processCall, function, frames, ticks);
}
} // namespace

void storeFacts(CheckNumbering& numbering, const rules::PluginFacts& facts) noexcept
{
    uint64_t words[3];
    packFacts(words, facts);
    for (size_t i = 0; i < std::size(words); ++i)
        numbering.facts[i].store(words[i], relaxed);
}

void begin(std::atomic<bool>& checking, rules::RuleChecker& checker, CheckNumbering& numbering,
           OXLogger& logger, bool on) noexcept
{
    checking.store(false, relaxed);
    checker.~RuleChecker();
    new (&checker) rules::RuleChecker(&onFiring, &logger);
    numbering.checker = &checker;
    numbering.check = Process::get().checkingsStarted.fetch_add(1, relaxed) + 1;
    for (auto& count : numbering.threadRecords)
        count.records = 0;
    numbering.nextThread = 0;
    numbering.firstThread = 0;
    numbering.audioThread = 0;
    numbering.closed = false;
    for (auto& value : numbering.facts)
        value = 0;
    numbering.crowd = {};
    if (!on)
        return;
    checker.ticksPerSecond(static_cast<double>(tickClock::calibrate().ticksPerSecond));
    checking.store(true, relaxed);
}

void countOutputs(Recorder& recorder, CheckNumbering* numbering) noexcept
{
    if (numbering != nullptr)
        recorder.countOutputs(&outputCounted, &processTimed, numbering);
    else
        recorder.countOutputs(nullptr, nullptr, nullptr);
}

void pluginStarted(CheckNumbering& numbering, const AEffect& hosted) noexcept
{
    const rules::PluginFacts facts = factsOf(hosted);
    storeFacts(numbering, facts);
    numbering.checker->pluginStarted(facts);
}
} // namespace liveCheck
