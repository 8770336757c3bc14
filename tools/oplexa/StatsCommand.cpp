#include "tools/oplexa/StatsCommand.h"

#include "tools/host/HostOptions.h"
#include "tools/oplexa/StatsReport.h"
#include "tools/oplexa/StatsSvg.h"

namespace oplexa
{
namespace
{
int exitCodeOf(recordFormat::Ending ending)
{
    if (ending == recordFormat::Ending::complete)
        return host::kExitOk;
    return ending == recordFormat::Ending::damaged ? host::kExitUnreadable : host::kExitEndsEarly;
}
} // namespace

int stats(const StatsOptions& options)
{
    recordFormat::RecordStream stream;
    if (!stream.open(options.recording))
    {
        std::fprintf(stderr, "oplexa: stats: %s\n", stream.problem.c_str());
        return host::kExitUnreadable;
    }
    SessionStats session;
    StatsTimer timer([&session](const TimedCall& call) { session.add(call); });
    recordFormat::Record record;
    while (stream.next(record))
        timer.add(record);
    if (stream.stopRecord == 0)
    {
        std::fprintf(stderr, "oplexa: stats: %s\n", stopText(stream).c_str());
        return exitCodeOf(stream.ending);
    }
    const StatsRun run{options.recording, stream, timer, session};
    if (options.json)
        writeStatsJson(stdout, run);
    else
        writeStatsText(stdout, run);
    std::fflush(stdout);
    if (stream.ending != recordFormat::Ending::complete)
        std::fprintf(stderr, "oplexa: stats: %s\n", stopText(stream).c_str());
    if (!options.svg.empty())
    {
        const std::string problem = drawBudget(options.recording, session.audio, options.svg);
        if (!problem.empty())
        {
            std::fprintf(stderr, "oplexa: stats: %s\n", problem.c_str());
            return host::kExitOutputFailed;
        }
    }
    return exitCodeOf(stream.ending);
}
} // namespace oplexa
