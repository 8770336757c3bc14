#include "tools/oplexa/CheckCommand.h"

#include "record/RecordFormat.h"
#include "tools/oplexa/RecordingChecker.h"

#include <nlohmann/json.hpp>

#include <cinttypes>
#include <cstdio>

namespace oplexa
{
namespace
{
using Json = nlohmann::ordered_json;

// The file read to its end, or to where it can't be read further.
struct Checked
{
    recordFormat::RecordStream stream;
    RecordingChecker checking;
};

void checkFile(const std::string& file, Checked& checked)
{
    if (!checked.stream.open(file))
        return;
    recordFormat::Record record;
    bool started = false;
    while (checked.stream.next(record))
    {
        if (!started)
            checked.checking.start(checked.stream.header);
        started = true;
        checked.checking.feed(record);
    }
}

// The rules that fired, in the catalogue's order; live-only ones never fire from a recording.
template <typename Visit> void eachFired(const rules::RuleChecker& checker, Visit visit)
{
    for (size_t i = 0; i < rules::kRuleCount; ++i)
    {
        const auto rule = static_cast<rules::Rule>(i);
        const rules::Tally& tally = checker.tally(rule);
        if (tally.count.load(std::memory_order_relaxed) > 0 && !rules::ruleInfo(rule).liveOnly)
            visit(rules::ruleInfo(rule), tally);
    }
}

// "  error process-while-suspended: 3 times, first in call 53 (t2 audio): TEXT"
void printRule(const rules::RuleInfo& info, const rules::Tally& tally)
{
    const uint64_t count = tally.count.load();
    std::printf("  %s %s: %" PRIu64 " time%s, ", rules::severityName(info.severity), info.id, count,
                count == 1 ? "" : "s");
    // Call 0: judged on the plug-in's record, before any call.
    if (tally.firstCall == 0)
        std::printf("first before any call: %s", tally.firstText);
    else
        std::printf("first in call %" PRIu64 " (t%u %s): %s", tally.firstCall, tally.firstThread,
                    recordFormat::roleName(tally.firstRole), tally.firstText);
    if (info.rule == rules::Rule::processOverBudget)
        std::printf("; the worst, call %" PRIu64 ", took %.3f ms", tally.worstCall,
                    static_cast<double>(tally.worstNs.load()) / 1e6);
    std::printf("\n");
}

void printText(const std::string& file, const Checked& checked)
{
    const recordFormat::RecordStream& stream = checked.stream;
    if (stream.ending == recordFormat::Ending::damaged && stream.stopRecord == 0)
    {
        std::printf("%s: unreadable: %s\n", file.c_str(), stream.problem.c_str());
        return;
    }
    size_t fired = 0;
    eachFired(checked.checking.checker(),
              [&](const rules::RuleInfo&, const rules::Tally&) { ++fired; });
    if (fired == 0)
        std::printf("%s: no rule fired\n", file.c_str());
    else
        std::printf("%s: %zu rule%s fired\n", file.c_str(), fired, fired == 1 ? "" : "s");
    eachFired(checked.checking.checker(), printRule);
    if (stream.ending == recordFormat::Ending::truncated)
        std::printf("%s: ends early at record %zu (%s): checked up to there\n", file.c_str(),
                    stream.stopRecord, stream.problem.c_str());
    else if (stream.ending == recordFormat::Ending::damaged)
        std::printf("%s: record %zu is unreadable (%s): checked up to there\n", file.c_str(),
                    stream.stopRecord, stream.problem.c_str());
}

Json asJson(const std::string& file, const Checked& checked)
{
    const recordFormat::RecordStream& stream = checked.stream;
    Json problems = Json::array();
    eachFired(checked.checking.checker(),
              [&](const rules::RuleInfo& info, const rules::Tally& tally)
              {
                  Json problem = {{"rule", info.id},
                                  {"side", rules::sideName(info.side)},
                                  {"severity", rules::severityName(info.severity)},
                                  {"count", tally.count.load()},
                                  {"firstCall", tally.firstCall},
                                  {"thread", tally.firstThread},
                                  {"role", recordFormat::roleName(tally.firstRole)},
                                  {"text", tally.firstText},
                                  {"summary", info.summary}};
                  if (info.rule == rules::Rule::processOverBudget)
                  {
                      problem["worstCall"] = tally.worstCall;
                      problem["worstNs"] = tally.worstNs.load();
                  }
                  problems.push_back(std::move(problem));
              });
    Json why =
        stream.ending == recordFormat::Ending::complete ? Json(nullptr) : Json(stream.problem);
    return {{"file", file},
            {"ending", recordFormat::endingName(stream.ending)},
            {"problem", why},
            {"problems", problems}};
}
} // namespace

int check(const std::vector<std::string>& files, bool json)
{
    Json report = {{"files", Json::array()}};
    bool unreadable = false;
    bool errors = false;
    for (const std::string& file : files)
    {
        Checked checked;
        checkFile(file, checked);
        unreadable = unreadable || checked.stream.ending == recordFormat::Ending::damaged;
        eachFired(checked.checking.checker(), [&](const rules::RuleInfo& info, const rules::Tally&)
                  { errors = errors || info.severity == rules::Severity::error; });
        if (json)
            report["files"].push_back(asJson(file, checked));
        else
            printText(file, checked);
    }
    if (json)
        std::printf("%s\n", report.dump(2).c_str());
    return unreadable ? kCheckUnreadable : errors ? kCheckErrors : kCheckClean;
}
} // namespace oplexa
