#include "tools/host/HostOptions.h"

#include <cerrno>
#include <cstdlib>

namespace host
{
namespace
{
bool parseInt(const char* text, int low, int high, int& out)
{
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || value < low || value > high)
        return false;
    out = static_cast<int>(value);
    return true;
}

bool parseRate(const char* text, double& out)
{
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (end == text || *end != '\0' || !(value >= 1000.0 && value <= 1536000.0))
        return false;
    out = value;
    return true;
}

// "reverse", "random" or "random:N", N choosing one shuffle.
bool parseCloseOrder(const char* text, HostOptions& options)
{
    const std::string order = text;
    options.randomCloseOrder = order.rfind("random", 0) == 0;
    if (order == "reverse" || order == "random")
        return true;
    return order.rfind("random:", 0) == 0 &&
           parseInt(text + 7, 0, 2147483647, options.closeShuffle);
}

bool setPath(std::string& path, const char* value)
{
    path = value;
    return !path.empty();
}

// One row per option: its name, the name of its value (null for a flag), its help and how it
// is applied; false from apply means a malformed value.
struct Option
{
    const char* name;
    const char* value;
    const char* help;
    bool (*apply)(HostOptions&, const char*);
};

const Option kOptions[] = {
    {"--blocks", "N", "blocks of audio to process per cycle (default 16)",
     [](HostOptions& o, const char* v) { return parseInt(v, 0, 10000000, o.blocks); }},
    {"--cycles", "N", "load/session/close cycles in one process (default 1)",
     [](HostOptions& o, const char* v) { return parseInt(v, 1, 1000000, o.cycles); }},
    {"--instances", "N", "instances at once through the module, blocks by turns (default 1)",
     [](HostOptions& o, const char* v) { return parseInt(v, 1, 1000, o.instances); }},
    {"--close-order", "ORDER",
     "reverse (default), random or random:N (N picks the shuffle; printed)",
     [](HostOptions& o, const char* v) { return parseCloseOrder(v, o); }},
    {"--rate", "HZ", "sample rate (default 44100)",
     [](HostOptions& o, const char* v) { return parseRate(v, o.sampleRate); }},
    {"--block-size", "N", "frames per block (default 512)",
     [](HostOptions& o, const char* v) { return parseInt(v, 1, 65536, o.blockSize); }},
    {"--replay", "FILE", "replay a recording (on MODULE.so when given) and compare it",
     [](HostOptions& o, const char* v) { return setPath(o.replayPath, v); }},
    {"--print", "FILE", "write a recording as log lines on standard output",
     [](HostOptions& o, const char* v) { return setPath(o.printPath, v); }},
    {"--write-audio", "FILE",
     "raw float32 output of every block, channel after channel;\n"
     "                          FILE.K for instance K with --instances",
     [](HostOptions& o, const char* v) { return setPath(o.audioPath, v); }},
    {"--report", "FILE", "stable text report of the record, names, parameters, chunk",
     [](HostOptions& o, const char* v) { return setPath(o.reportPath, v); }},
    {"--record-fields", "FILE", "the record's fields at entry, open, mains on, processing, a sweep",
     [](HostOptions& o, const char* v) { return setPath(o.recordFieldsPath, v); }},
    {"--log", "FILE", "write the host's call log to FILE instead of standard error",
     [](HostOptions& o, const char* v) { return setPath(o.logPath, v); }},
    {"--params", nullptr, "also set each parameter to 0, 0.25, 0.5, 1 and back",
     [](HostOptions& o, const char*) { return o.setParams = true; }},
    {"--quiet", nullptr, "no call log, only problems",
     [](HostOptions& o, const char*) { return o.quiet = true; }},
    {"--notes", nullptr, "send a short note sequence (ProcessEvents) in the first blocks",
     [](HostOptions& o, const char*) { return o.notes = true; }},
    {"--unload-without-close", nullptr, "end each session without Close, then dlclose",
     [](HostOptions& o, const char*)
     {
         o.close = false;
         return true;
     }},
    {"--exit-without-close", nullptr, "end the session without Close and call exit(0)",
     [](HostOptions& o, const char*)
     {
         o.close = false;
         return o.exitWithoutClose = true;
     }},
    {"--return-without-close", nullptr, "end without Close and return from main, still loaded",
     [](HostOptions& o, const char*)
     {
         o.close = o.unload = false;
         return true;
     }},
    {"--entry-twice", nullptr, "call the entry point again once it returned a record",
     [](HostOptions& o, const char*) { return o.entryTwice = true; }},
    {"--exit-during-process", nullptr, "after the blocks: exit(0) while another thread processes",
     [](HostOptions& o, const char*) { return o.exitDuringProcess = true; }},
    {"--close-during-process", nullptr, "another thread processes during Close and 200 ms after",
     [](HostOptions& o, const char*) { return o.closeDuringProcess = true; }},
    {"--fork-child-exit", nullptr, "after the blocks: fork, the child calls exit(0), 10 s wait",
     [](HostOptions& o, const char*) { return o.forkChildExit = true; }},
    {"--entry-during-close", "MS", "another thread calls the entry point MS ms into Close",
     [](HostOptions& o, const char* v) { return parseInt(v, 0, 60000, o.entryDuringCloseMs); }},
    {"--entry-during-entry", "MS", "another thread calls it MS ms into the first entry call",
     [](HostOptions& o, const char* v) { return parseInt(v, 0, 60000, o.entryDuringEntryMs); }},
    {"--usage", nullptr, "after each cycle: 'usage: cycle N rss_kb K threads T' on stderr",
     [](HostOptions& o, const char*) { return o.usage = true; }},
    {"--slowest-process", nullptr, "after the blocks: 'slowest process call: U us (block B)'",
     [](HostOptions& o, const char*) { return o.slowestProcess = true; }},
    {"--dirty-outputs", nullptr, "hand the plug-in outputs holding old data, not silence",
     [](HostOptions& o, const char*) { return o.dirtyOutputs = true; }},
    {"--break", "RULE-ID", "break this host-side protocol rule once (see tools/README.md)",
     [](HostOptions& o, const char* v) { return setPath(o.breakRule, v); }},
    {"--help", nullptr, "this text on standard output, exit code 0",
     [](HostOptions& o, const char*) { return o.help = true; }},
};

// A replay honours --write-audio, --log and --quiet; every other option is refused, for one of
// these reasons.
struct Refusal
{
    const char* names; // each between spaces
    const char* reason;
};

const Refusal kRefusals[] = {
    {" --replay --write-audio --log --quiet --help ", nullptr},
    {" --rate ", "a replay runs at the recorded rate"},
    {" --blocks --block-size ", "a replay processes the recorded blocks"},
    {" --print ", "a run either prints or replays"},
    {" --report --record-fields --usage --slowest-process ",
     "a replay writes only the log and --write-audio"},
};

const char* refusalReason(const std::string& name)
{
    for (const Refusal& refusal : kRefusals)
        if (std::string(refusal.names).find(" " + name + " ") != std::string::npos)
            return refusal.reason;
    return "a replay makes the recorded calls and no others";
}

const Option* findOption(const std::string& name)
{
    for (const Option& option : kOptions)
        if (name == option.name)
            return &option;
    return nullptr;
}

std::string buildUsage()
{
    std::string text = "usage: oplexa-host [options] MODULE.so\n";
    for (const Option& option : kOptions)
    {
        std::string left = std::string("  ") + option.name;
        if (option.value != nullptr)
            left += std::string(" ") + option.value;
        left.resize(26, ' ');
        text += left + option.help + "\n";
    }
    return text + "exit codes: 0 done, 1 bad command line, 2 module not loadable, 3 no entry "
                  "point,\n  4 entry point returned null, 5 record unusable (wrong magic, no "
                  "dispatcher),\n  6 output files not writable, 7 replay diverged, 8 recording "
                  "unreadable,\n  9 recording ends early, 10 the forked child failed or hung\n";
}
} // namespace

const char* usageText()
{
    static const std::string usage = buildUsage();
    return usage.c_str();
}

bool parseHostOptions(int argc, char** argv, HostOptions& options, std::string& error)
{
    for (int i = 1; i < argc; ++i)
    {
        const std::string arg = argv[i];
        if (const Option* option = findOption(arg))
        {
            const char* value = nullptr;
            if (option->value != nullptr)
            {
                if (i + 1 >= argc)
                {
                    error = arg + " needs a value";
                    return false;
                }
                value = argv[++i];
            }
            if (!option->apply(options, value))
            {
                error = "bad value for " + arg + ": " + value;
                return false;
            }
            const char* refused = refusalReason(arg);
            if (refused != nullptr && options.notForReplay.empty())
                options.notForReplay = arg + " can't be used with --replay: " + refused;
        }
        else if (arg.size() > 1 && arg[0] == '-')
        {
            error = "unknown option " + arg;
            return false;
        }
        else if (options.modulePath.empty())
            options.modulePath = arg;
        else
        {
            error = "more than one module given: " + arg;
            return false;
        }
    }
    if (options.help || !options.printPath.empty() || !options.replayPath.empty())
        return true;
    if (options.modulePath.empty())
    {
        error = "no module given";
        return false;
    }
    return true;
}
} // namespace host
