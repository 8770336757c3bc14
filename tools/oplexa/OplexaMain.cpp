// oplexa: makes and removes wrappers, prints or replays recordings like oplexa-host, checks
// them for the protocol rules, sums up their times and writes their timelines.
#include "tools/host/HostMain.h"
#include "tools/oplexa/CheckCommand.h"
#include "tools/oplexa/Commands.h"
#include "tools/oplexa/StatsCommand.h"
#include "tools/oplexa/TraceCommand.h"

#include <CLI/CLI.hpp>

namespace
{
// `oplexa print FILE ...` is `oplexa-host --print FILE ...`, and so is replay.
int asHost(const std::string& command, const char* option, const std::string& file,
           std::vector<std::string> rest)
{
    std::vector<std::string> words = {"oplexa " + command, option, file};
    words.insert(words.end(), rest.begin(), rest.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    return host::hostMain(static_cast<int>(words.size()), argv.data());
}
} // namespace

int main(int argc, char** argv)
{
    CLI::App app{"Oplexa's command: wrappers that let a host load a plug-in through Oplexa, and "
                 "recordings"};
    app.require_subcommand(1);

    oplexa::WrapOptions wrapOptions;
    CLI::App* wrap = app.add_subcommand(
        "wrap", "Make a wrapper per plug-in: for X.so, DIR/X-oplexa.so and its settings "
                "DIR/X-oplexa.xml. A host that loads it gets Oplexa hosting X.so, with no "
                "chooser and no OPLEXA_PLUGIN");
    wrap->add_option("plugins", wrapOptions.plugins, "VST 2 plug-ins (.so) to wrap");
    wrap->add_option(
        "--all", wrapOptions.all,
        "Wrap every VST 2 plug-in in this folder; other files are skipped with a line");
    wrap->add_option("--into", wrapOptions.into,
                     std::string("Folder for the wrappers (default ") + oplexa::kDefaultFolder +
                         ", which Ardour, qtractor and MusE search)");
    wrap->add_option("--oplexa", wrapOptions.oplexa,
                     "The Oplexa.so the wrappers load (default: this build's or installation's)");
    wrap->add_flag("--force", wrapOptions.force,
                   "Replace existing wrappers (their settings are kept)");
    wrap->add_flag("--tag", wrapOptions.tag,
                   "Make the wrapper distinct from its plug-in for hosts that keep plug-ins by "
                   "name and ID: the host reads \"NAME [Oplexa]\" and the ID with the case of its "
                   "four characters flipped (tag=\"1\" in the settings)");

    std::string folder;
    CLI::App* list = app.add_subcommand(
        "list", "List the wrappers in a folder, each with its plug-in and whether it is there");
    list->add_option("folder", folder, std::string("default ") + oplexa::kDefaultFolder);

    std::string target;
    CLI::App* unwrap =
        app.add_subcommand("unwrap", "Remove a wrapper and its settings file, named by the "
                                     "wrapper or by the plug-in it wraps");
    unwrap->add_option("wrapper_or_plugin", target, "X-oplexa.so, or X.so")->required();
    unwrap->add_option("--from", folder,
                       std::string("Folder of the wrapper of a plug-in (default ") +
                           oplexa::kDefaultFolder + ")");

    std::string recording;
    CLI::App* print = app.add_subcommand(
        "print", "Write a recording as log lines on standard output (oplexa-host --print)");
    print->add_option("recording", recording, "A recording file")->required();
    print->allow_extras();
    CLI::App* replay = app.add_subcommand(
        "replay", "Replay a recording and compare it (oplexa-host --replay); other words go to "
                  "oplexa-host, e.g. MODULE.so to replay on");
    replay->add_option("recording", recording, "A recording file")->required();
    replay->allow_extras();
    oplexa::TraceOptions traceOptions;
    CLI::App* trace = app.add_subcommand(
        "trace", "Write a recording as a timeline in the Trace Event Format (JSON), for the "
                 "Perfetto UI or chrome://tracing: a track per recorded thread, an event per call");
    trace->add_option("recording", traceOptions.recording, "A recording file")->required();
    trace->add_option("output", traceOptions.output, "The trace to write (OUT.json)")->required();
    trace
        ->add_option("--from", traceOptions.fromSeconds,
                     "Keep the calls that begin from this many seconds after the first record")
        ->check(CLI::NonNegativeNumber);
    trace
        ->add_option("--to", traceOptions.toSeconds,
                     "Keep the calls that begin up to this many seconds after the first record")
        ->check(CLI::NonNegativeNumber);

    std::vector<std::string> checked;
    bool json = false;
    CLI::App* check = app.add_subcommand(
        "check", "Check recordings for the VST 2 protocol rules each side broke (README, "
                 "\"Protocol rules\"): exit 8 for an unreadable file, else 3 when an error "
                 "fired, else 0");
    check->add_option("recordings", checked, "Recording files")->required();
    check->add_flag("--json", json, "Write the report as JSON");

    oplexa::StatsOptions statsOptions;
    CLI::App* stats = app.add_subcommand(
        "stats", "How long the plug-in took per function, opcode and thread, and how much of the "
                 "real-time budget its audio used");
    stats->add_option("recording", statsOptions.recording, "A recording file")->required();
    stats->add_flag("--json", statsOptions.json, "Write the figures as JSON");
    stats->add_option("--svg", statsOptions.svg,
                      "Also draw each block's time against its budget into this SVG file");

    CLI11_PARSE(app, argc, argv);
    if (wrap->parsed())
    {
        if (wrapOptions.plugins.empty() && wrapOptions.all.empty())
        {
            std::fprintf(stderr, "oplexa: wrap needs plug-ins or --all FOLDER\n");
            return 1;
        }
        return oplexa::wrap(wrapOptions);
    }
    if (list->parsed())
        return oplexa::list(folder);
    if (unwrap->parsed())
        return oplexa::unwrap(target, folder);
    if (check->parsed())
        return oplexa::check(checked, json);
    if (stats->parsed())
        return oplexa::stats(statsOptions);
    if (trace->parsed())
        return oplexa::trace(traceOptions);
    if (print->parsed())
        return asHost("print", "--print", recording, print->remaining());
    return asHost("replay", "--replay", recording, replay->remaining());
}
