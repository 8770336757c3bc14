// The console reporter, keeping each benchmark's CPU time per call for the summary table.
// With repetitions the median counts, else the single run.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <ostream>
#include <string>
#include <vector>

struct SummaryRow
{
    std::string call;
    std::string logging;
    std::string baseline; // benchmark names
    std::string measured;
    int lines = 0;          // log lines the measured call writes
    bool forwarded = false; // baseline is the same call made directly
};

class SummaryReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override;

    // A markdown table: call, logging, baseline ns, measured ns, measured / baseline, and, when
    // the benchmark named floor ran and the row logs lines, measured / floor: the calling
    // thread's cost of a logged call as a multiple of one write(2) of a line, and for forwarded
    // calls also what Oplexa adds, (measured - direct) / floor. False when a benchmark of a row
    // did not run (filtered out or failed); its row is left out.
    bool printTable(std::ostream& out, const std::vector<SummaryRow>& rows,
                    const std::string& floor = {}) const;

private:
    std::map<std::string, double> nanoseconds;
    std::map<std::string, bool> fromMedian;
};
