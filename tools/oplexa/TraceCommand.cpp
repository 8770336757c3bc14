#include "tools/oplexa/TraceCommand.h"

#include "record/RecordReader.h"
#include "tools/host/HostOptions.h"
#include "tools/host/RecordPrint.h"
#include "tools/oplexa/RecordingChecker.h"
#include "tools/oplexa/TraceJson.h"
#include "tools/oplexa/TraceTimeline.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

namespace oplexa
{
namespace
{
using recordFormat::Ending;

int problem(const std::string& line, int code)
{
    std::fprintf(stderr, "oplexa: trace: %s\n", line.c_str());
    return code;
}

// Rounded: a time copied from the printout (nine decimals) falls on its call.
uint64_t nanoseconds(double seconds)
{
    const double ns = std::round(seconds * 1e9);
    return ns >= 1.8e19 ? UINT64_MAX : static_cast<uint64_t>(ns);
}

TraceWindow windowOf(const TraceOptions& options)
{
    TraceWindow window;
    window.fromNs = nanoseconds(options.fromSeconds);
    if (options.toSeconds >= 0)
        window.toNs = nanoseconds(options.toSeconds);
    return window;
}

struct FileCloser
{
    void operator()(FILE* file) const { std::fclose(file); }
};
} // namespace

int trace(const TraceOptions& options)
{
    recordFormat::RecordStream stream;
    if (!stream.open(options.recording))
        return problem(stream.problem, host::kExitUnreadable);
    recordFormat::Record record;
    bool more = stream.next(record);
    if (!more && stream.stopRecord == 0 && stream.ending != Ending::complete)
        return problem(options.recording + ": " + stream.problem, host::kExitUnreadable);
    std::unique_ptr<FILE, FileCloser> out(std::fopen(options.output.c_str(), "w"));
    if (out == nullptr)
        return problem("can't write " + options.output + ": " + std::strerror(errno), 1);

    TraceJson json(out.get());
    TraceTimeline timeline(json, windowOf(options));
    // Each problem `oplexa check` would count becomes an instant event at the record just added.
    RecordingChecker checker([&timeline](rules::Rule rule, const rules::Tally&, uint64_t call, bool)
                             { timeline.problem(call, rules::ruleInfo(rule).id); });
    checker.start(stream.header);
    for (; more; more = stream.next(record))
    {
        timeline.add(record);
        checker.feed(record);
    }
    timeline.finish(host::recordedName(stream.header));
    if (!json.finish())
        return problem("can't write " + options.output + ": " + std::strerror(errno), 1);
    if (timeline.leftOutRecords() > 0)
        std::fprintf(stderr, "oplexa: trace: %zu records of threads past the %zuth left out\n",
                     timeline.leftOutRecords(), TraceTimeline::kMaxTracks);
    if (stream.ending == Ending::complete)
        return host::kExitOk;
    const bool damaged = stream.ending == Ending::damaged;
    problem("record " + std::to_string(stream.stopRecord) +
                (damaged ? " is unreadable: " : " is missing: ") + stream.problem +
                "; the trace ends there",
            0);
    return damaged ? host::kExitUnreadable : host::kExitEndsEarly;
}
} // namespace oplexa
