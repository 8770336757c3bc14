// `oplexa stats` written out: a table of times per function and opcode for all threads and for
// each thread, then the audio's budget, as text for people or as JSON for scripts (README,
// "Statistics and the budget picture", lists its fields).
#pragma once

#include "record/RecordReader.h"
#include "tools/oplexa/StatsTables.h"
#include "tools/oplexa/StatsTimer.h"

#include <cstdio>
#include <string>

namespace oplexa
{
struct StatsRun
{
    std::string file;
    const recordFormat::RecordStream& stream;
    const StatsTimer& timer;
    const SessionStats& stats;
};

void writeStatsText(FILE* out, const StatsRun& run);
void writeStatsJson(FILE* out, const StatsRun& run);
// Why the reading stopped, as the one line `oplexa print` gives for it; empty when complete.
std::string stopText(const recordFormat::RecordStream& stream);
} // namespace oplexa
