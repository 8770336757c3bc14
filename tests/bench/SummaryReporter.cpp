#include "tests/bench/SummaryReporter.h"

#include <cstdio>

namespace
{
double toNanoseconds(double time, benchmark::TimeUnit unit)
{
    return time * 1e9 / benchmark::GetTimeUnitMultiplier(unit);
}

std::string number(double value, const char* format)
{
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}
} // namespace

void SummaryReporter::ReportRuns(const std::vector<Run>& runs)
{
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs)
    {
        if (run.error_occurred)
            continue;
        const std::string& name = run.run_name.function_name;
        const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
        if (run.run_type == Run::RT_Aggregate && !median)
            continue;
        if (fromMedian[name] && !median)
            continue;
        nanoseconds[name] = toNanoseconds(run.GetAdjustedCPUTime(), run.time_unit);
        fromMedian[name] = median;
    }
}

bool SummaryReporter::printTable(std::ostream& out, const std::vector<SummaryRow>& rows,
                                 const std::string& floor) const
{
    bool complete = true;
    const auto floorTime = nanoseconds.find(floor);
    const bool withFloor = floorTime != nanoseconds.end();
    out << "| call | logging | direct ns | measured ns | ratio |"
        << (withFloor ? " x write | added x write |" : "") << "\n| --- | --- | ---: | ---: | ---: |"
        << (withFloor ? " ---: | ---: |" : "") << "\n";
    for (const SummaryRow& row : rows)
    {
        const auto baseline = nanoseconds.find(row.baseline);
        const auto measured = nanoseconds.find(row.measured);
        if (baseline == nanoseconds.end() || measured == nanoseconds.end())
        {
            complete = false;
            continue;
        }
        out << "| " << row.call << " | " << row.logging << " | " << number(baseline->second, "%.1f")
            << " | " << number(measured->second, "%.1f") << " | "
            << number(measured->second / baseline->second, "%.2f") << " |";
        if (withFloor)
        {
            const double writes = floorTime->second;
            out << " " << (row.lines > 0 ? number(measured->second / writes, "%.2f") : "-") << " | "
                << (row.lines > 0 && row.forwarded
                        ? number((measured->second - baseline->second) / writes, "%.2f")
                        : "-")
                << " |";
        }
        out << "\n";
    }
    return complete;
}
