#include "tools/oplexa/StatsReport.h"

#include "record/RecordFormat.h"
#include "tools/host/RecordPrint.h"
#include "tools/oplexa/StatsText.h"

#include <cinttypes>

namespace oplexa
{
namespace
{
uint64_t meanNs(const StatsHistogram& row)
{
    return (row.totalNs() + row.count() / 2) / row.count();
}

// Nanoseconds as microseconds with three decimals: exact.
std::string micros(uint64_t ns)
{
    char text[32];
    std::snprintf(text, sizeof text, "%" PRIu64 ".%03" PRIu64, ns / 1000, ns % 1000);
    return text;
}

std::string seconds(double ns)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", ns / 1e9);
    return text;
}

double percent(double share)
{
    return share * 100;
}

void textTable(FILE* out, const char* title, const StatsTable& table)
{
    std::fprintf(out, "\n%s\n  %8s %14s %12s %12s %12s %12s  %s\n", title, "calls", "total", "mean",
                 "median", "p99", "max", "function or opcode");
    for (size_t index : table.rowsByTotal())
    {
        const StatsHistogram& row = table.row(index);
        std::fprintf(out, "  %8" PRIu64 " %14s %12s %12s %12s %12s  %s\n", row.count(),
                     micros(row.totalNs()).c_str(), micros(meanNs(row)).c_str(),
                     micros(row.percentileNs(50)).c_str(), micros(row.percentileNs(99)).c_str(),
                     micros(row.maxNs()).c_str(), StatsTable::rowName(index).c_str());
    }
}

void textAudio(FILE* out, const StatsRun& run)
{
    const AudioBudget& audio = run.stats.audio;
    std::fprintf(out, "\naudio\n");
    if (audio.blocks == 0)
    {
        std::fprintf(out, "  no process calls\n");
        return;
    }
    if (run.timer.lastSampleRate() > 0)
        std::fprintf(out, "  %" PRIu64 " blocks, %s s of audio at %.0f Hz (the last rate set)\n",
                     audio.blocks, seconds(audio.audioNs).c_str(), run.timer.lastSampleRate());
    else
        std::fprintf(out, "  %" PRIu64 " blocks, no effSetSampleRate\n", audio.blocks);
    if (audio.blocksWithoutRate > 0)
        std::fprintf(out, "  %" PRIu64 " blocks before any effSetSampleRate have no budget\n",
                     audio.blocksWithoutRate);
    if (!audio.hasWorst)
        return;
    std::fprintf(out, "  budget used: %.2f %% (%s s inside the plug-in)\n", percent(audio.share()),
                 seconds(static_cast<double>(audio.processNs)).c_str());
    const Block& worst = audio.worst;
    std::fprintf(out,
                 "  worst block: call %" PRIu64 " (%s) at %s s, %s µs of its %.3f µs budget "
                 "(%.2f %%)\n",
                 worst.call, host::threadName(worst.thread, run.timer.roleOf(worst.thread)).c_str(),
                 seconds(static_cast<double>(worst.beginNs)).c_str(), micros(worst.ns).c_str(),
                 worst.budgetNs / 1000, percent(static_cast<double>(worst.ns) / worst.budgetNs));
    std::fprintf(out, "  over budget: %" PRIu64 " blocks\n", audio.overBudget);
}

void jsonRows(FILE* out, const StatsTable& table)
{
    std::fprintf(out, "[");
    const char* comma = "";
    for (size_t index : table.rowsByTotal())
    {
        const StatsHistogram& row = table.row(index);
        std::fprintf(
            out,
            "%s\n    {\"name\":%s,\"calls\":%" PRIu64 ",\"totalNs\":%" PRIu64 ",\"meanNs\":%" PRIu64
            ",\"medianNs\":%" PRIu64 ",\"p99Ns\":%" PRIu64 ",\"maxNs\":%" PRIu64 "}",
            comma, jsonText(StatsTable::rowName(index)).c_str(), row.count(), row.totalNs(),
            meanNs(row), row.percentileNs(50), row.percentileNs(99), row.maxNs());
        comma = ",";
    }
    std::fprintf(out, "]");
}

void jsonAudio(FILE* out, const StatsRun& run)
{
    const AudioBudget& audio = run.stats.audio;
    std::fprintf(out,
                 ",\n  \"audio\":{\"blocks\":%" PRIu64 ",\"blocksWithoutRate\":%" PRIu64
                 ",\"sampleRate\":%.9g,\"audioSeconds\":%.9g,\"processSeconds\":%.9g,"
                 "\"budgetShare\":%.9g,\"overBudget\":%" PRIu64 ",\"worstBlock\":",
                 audio.blocks, audio.blocksWithoutRate, run.timer.lastSampleRate(),
                 audio.audioNs / 1e9, static_cast<double>(audio.processNs) / 1e9, audio.share(),
                 audio.overBudget);
    if (!audio.hasWorst)
    {
        std::fprintf(out, "null}");
        return;
    }
    const Block& worst = audio.worst;
    std::fprintf(out,
                 "{\"call\":%" PRIu64
                 ",\"thread\":%u,\"name\":%s,\"atSeconds\":%.9g,\"ns\":%" PRIu64
                 ",\"budgetNs\":%.9g,\"share\":%.9g}}",
                 worst.call, worst.thread,
                 jsonText(host::threadName(worst.thread, run.timer.roleOf(worst.thread))).c_str(),
                 static_cast<double>(worst.beginNs) / 1e9, worst.ns, worst.budgetNs,
                 static_cast<double>(worst.ns) / worst.budgetNs);
}

} // namespace

std::string stopText(const recordFormat::RecordStream& stream)
{
    if (stream.ending == recordFormat::Ending::complete)
        return "";
    return "record " + std::to_string(stream.stopRecord) +
           (stream.ending == recordFormat::Ending::damaged ? " is unreadable: " : " is missing: ") +
           stream.problem;
}

void writeStatsText(FILE* out, const StatsRun& run)
{
    const recordFormat::Header& header = run.stream.header;
    std::fprintf(out,
                 "recording of %s, instance %" PRIu64 ", started %s: %" PRIu64 " calls\n"
                 "times inside the plug-in in µs, from the call's begin to its return's end "
                 "(audioMaster calls made inside a host call are part of its time)\n",
                 header.pluginPath.c_str(), header.instance, header.startTime.c_str(),
                 run.timer.calls());
    textTable(out, "all threads", run.stats.all);
    for (const SessionStats::ThreadTable& thread : run.stats.threads)
        textTable(out, host::threadName(thread.thread, run.timer.roleOf(thread.thread)).c_str(),
                  thread.table);
    if (!run.stats.otherThreadNumbers.empty())
        textTable(out,
                  (std::to_string(run.stats.otherThreadNumbers.size()) + " other threads").c_str(),
                  run.stats.otherThreads);
    textAudio(out, run);
    if (run.timer.unfinished() + run.timer.untimed() + run.timer.dropped() > 0 ||
        run.stream.ending != recordFormat::Ending::complete)
        std::fprintf(out, "\n");
    if (run.timer.unfinished() > 0)
        std::fprintf(out, "calls without a return in the recording, not timed: %" PRIu64 "\n",
                     run.timer.unfinished());
    if (run.timer.untimed() > 0)
        std::fprintf(out,
                     "calls nested deeper than %zu, on threads past the first %zu, or open "
                     "where records were dropped, not timed: %" PRIu64 "\n",
                     StatsTimer::kMaxDepth, StatsTimer::kMaxThreads, run.timer.untimed());
    if (run.timer.dropped() > 0)
        std::fprintf(out, "gaps: %" PRIu64 " records dropped: the recording queue was full\n",
                     run.timer.dropped());
    if (run.stream.ending != recordFormat::Ending::complete)
        std::fprintf(out, "stats up to record %zu: %s\n", run.stream.stopRecord,
                     stopText(run.stream).c_str());
}

void writeStatsJson(FILE* out, const StatsRun& run)
{
    const recordFormat::Header& header = run.stream.header;
    const std::string problem = stopText(run.stream);
    std::fprintf(out,
                 "{\"file\":%s,\"plugin\":%s,\"instance\":%" PRIu64 ",\"started\":%s,"
                 "\"ending\":\"%s\",\"problem\":%s,\n  \"calls\":%" PRIu64
                 ",\"unfinished\":%" PRIu64 ",\"untimed\":%" PRIu64 ",\"droppedRecords\":%" PRIu64
                 ",\n  \"functions\":",
                 jsonText(run.file).c_str(), jsonText(header.pluginPath).c_str(), header.instance,
                 jsonText(header.startTime).c_str(), recordFormat::endingName(run.stream.ending),
                 problem.empty() ? "null" : jsonText(problem).c_str(), run.timer.calls(),
                 run.timer.unfinished(), run.timer.untimed(), run.timer.dropped());
    jsonRows(out, run.stats.all);
    std::fprintf(out, ",\n  \"threads\":[");
    const char* comma = "";
    for (const SessionStats::ThreadTable& thread : run.stats.threads)
    {
        const uint8_t role = run.timer.roleOf(thread.thread);
        std::fprintf(out, "%s\n   {\"thread\":%u,\"role\":\"%s\",\"name\":%s,\"functions\":", comma,
                     thread.thread, recordFormat::roleName(role),
                     jsonText(host::threadName(thread.thread, role)).c_str());
        jsonRows(out, thread.table);
        std::fprintf(out, "}");
        comma = ",";
    }
    std::fprintf(out, "],\n  \"otherThreads\":");
    if (run.stats.otherThreadNumbers.empty())
        std::fprintf(out, "null");
    else
    {
        std::fprintf(out, "{\"threads\":[");
        for (size_t i = 0; i < run.stats.otherThreadNumbers.size(); ++i)
            std::fprintf(out, "%s%u", i > 0 ? "," : "", run.stats.otherThreadNumbers[i]);
        std::fprintf(out, "],\"functions\":");
        jsonRows(out, run.stats.otherThreads);
        std::fprintf(out, "}");
    }
    jsonAudio(out, run);
    std::fprintf(out, "}\n");
}
} // namespace oplexa
