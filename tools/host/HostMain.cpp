// oplexa-host: a small command-line VST 2 host for the tests, the demo and the benchmarks.
#include "tools/host/HostMain.h"

#include "tools/host/AudioMaster.h"
#include "tools/host/HostLog.h"
#include "tools/host/HostOptions.h"
#include "tools/host/InstanceSet.h"
#include "tools/host/PluginModule.h"
#include "tools/host/PluginSession.h"
#include "tools/host/RecordFields.h"
#include "tools/host/RecordPrint.h"
#include "tools/host/Replay.h"
#include "tools/host/RuleBreaks.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

using namespace host;

namespace
{
class OutputFile
{
public:
    bool open(const std::string& path)
    {
        if (path.empty())
            return true;
        file = std::fopen(path.c_str(), "wb");
        return file != nullptr;
    }
    bool close()
    {
        const bool ok = file == nullptr || std::fclose(file) == 0;
        file = nullptr;
        return ok;
    }
    ~OutputFile() { close(); }
    FILE* get() const { return file; }

private:
    FILE* file = nullptr;
};

// VmRSS and Threads from /proc/self/status.
void reportUsage(int cycle)
{
    long rss = -1;
    long threads = -1;
    if (FILE* status = std::fopen("/proc/self/status", "r"))
    {
        char line[256];
        while (std::fgets(line, sizeof line, status) != nullptr)
            if (std::sscanf(line, "VmRSS: %ld", &rss) != 1)
                std::sscanf(line, "Threads: %ld", &threads);
        std::fclose(status);
    }
    std::fprintf(stderr, "usage: cycle %d rss_kb %ld threads %ld\n", cycle, rss, threads);
}

HostExitCode runCycles(const HostOptions& options, FILE* audio, SessionReport& report)
{
    PluginModule module;
    for (int cycle = 1; cycle <= options.cycles; ++cycle)
    {
        if (!module.isLoaded())
        {
            hostLog().line("loading %s", options.modulePath.c_str());
            if (!module.load(options.modulePath))
            {
                hostLog().problem("error: cannot load %s: %s", options.modulePath.c_str(),
                                  module.error().c_str());
                return kExitLoadFailed;
            }
        }
        const VstPluginMainProc entry = module.findEntryPoint();
        if (entry == nullptr)
        {
            hostLog().problem("error: %s has no entry point (VSTPluginMain, main or main_macho)",
                              options.modulePath.c_str());
            return kExitNoEntryPoint;
        }
        hostLog().line("cycle %d: entry point %s", cycle, module.entryName());
        report.line("cycle %d", cycle);
        const HostExitCode result =
            options.instances > 1 ? runInstances(entry, module.entryName(), options)
                                  : runSession(entry, module.entryName(), options, audio, report);
        if (result != kExitOk)
            return result;
        if (options.exitWithoutClose)
        {
            // The record is still open and the module loaded: the C runtime ends them.
            std::exit(kExitOk);
        }
        // A scanner's way: each cycle without Close loads the module anew.
        if (!options.close && options.unload)
            module.unload();
        if (options.usage)
            reportUsage(cycle);
    }
    if (!options.unload)
        module.release();
    return kExitOk;
}
} // namespace

int host::hostMain(int argc, char** argv)
{
    HostOptions options;
    std::string error;
    if (!parseHostOptions(argc, argv, options, error))
    {
        std::fprintf(stderr, "oplexa-host: %s\n%s", error.c_str(), usageText());
        return kExitUsage;
    }
    if (options.help)
    {
        std::fputs(usageText(), stdout);
        return kExitOk;
    }
    if (!options.replayPath.empty() && !options.notForReplay.empty())
    {
        std::fprintf(stderr, "oplexa-host: %s\n", options.notForReplay.c_str());
        return kExitUsage;
    }
    if (!options.breakRule.empty() && options.replayPath.empty() && options.printPath.empty() &&
        (!isHostBreak(options.breakRule) || options.instances > 1))
    {
        std::fprintf(stderr, "oplexa-host: --break %s: %s\n", options.breakRule.c_str(),
                     options.instances > 1
                         ? "breaks a rule in one instance's session, not with --instances"
                         : ("not a rule the host breaks; one of " + hostBreakIds()).c_str());
        return kExitUsage;
    }
    hostLog().setQuiet(options.quiet);
    if (!hostLog().open(options.logPath))
    {
        std::fprintf(stderr, "oplexa-host: cannot write %s\n", options.logPath.c_str());
        return kExitUsage;
    }
    // A real host's own shutdown takes a while, and its other threads and the plug-in's run on
    // meanwhile: registered before any module, this ends exit() 50 ms after the modules' exit
    // handlers, so that a thread still running code they unloaded is caught.
    if (options.exitWithoutClose || options.exitDuringProcess)
        std::atexit([] { std::this_thread::sleep_for(std::chrono::milliseconds(50)); });
    hostState().sampleRate = options.sampleRate;
    hostState().blockSize = options.blockSize;

    SessionReport report;
    OutputFile audio;
    if (!report.open(options.reportPath) ||
        !audio.open(options.instances > 1 ? "" : options.audioPath) ||
        !recordFields().open(options.recordFieldsPath))
    {
        hostLog().problem("error: cannot create the output files");
        return kExitOutputFailed;
    }

    if (!options.printPath.empty())
        return printRecording(options);
    HostExitCode result = options.replayPath.empty() ? runCycles(options, audio.get(), report)
                                                     : replayRecording(options, audio.get());
    const bool closed = report.close() && audio.close() && recordFields().close();
    if (!closed && result == kExitOk)
    {
        hostLog().problem("error: could not write the output files");
        result = kExitOutputFailed;
    }
    hostLog().line("done, exit code %d, %ld audioMaster calls", static_cast<int>(result),
                   hostState().calls.load());
    return result;
}
