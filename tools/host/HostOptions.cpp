#include "tools/host/HostOptions.h"

#include <cerrno>
#include <cstdlib>
#include <utility>

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

bool parseDouble(const char* text, double low, double high, double& out)
{
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(text, &end);
    if (errno != 0 || end == text || *end != '\0' || !(value >= low && value <= high))
        return false;
    out = value;
    return true;
}
} // namespace

const char* usageText()
{
    return "usage: oplexa-host [options] MODULE.so\n"
           "  --blocks N          blocks of audio to process per cycle (default 16)\n"
           "  --block-size N      frames per block (default 512)\n"
           "  --sample-rate R     sample rate in Hz (default 44100)\n"
           "  --cycles N          load/session/close cycles in one process (default 1)\n"
           "  --unload-each-cycle dlclose and dlopen the module between cycles\n"
           "  --no-unload         never dlclose the module\n"
           "  --unload-without-close   end the session without Close, then dlclose\n"
           "  --exit-without-close     end the session without Close and call exit(0)\n"
           "  --return-without-close   end without Close and return from main, still loaded\n"
           "  --entry-twice       call the entry point again once it returned a record\n"
           "  --usage             after each cycle: 'usage: cycle N rss_kb K threads T' on stderr\n"
           "  --write-audio FILE  raw float32 output of every block, channel after channel\n"
           "  --write-input FILE  raw float32 input of every block, channel after channel\n"
           "  --report FILE       stable text report of the record, names, parameters, chunk\n"
           "  --log FILE          write the host's call log to FILE instead of standard error\n"
           "  --params            also set each parameter to 0, 0.25, 0.5, 1 and back\n"
           "  --program N         select program N before processing\n"
           "  --set-param I=V     set parameter I to V before processing (repeatable)\n"
           "  --threads N         N threads call getParameter/setParameter/GetVendorVersion\n"
           "                      while the main thread processes audio\n"
           "  --thread-calls N    calls per thread (default 2000)\n"
           "  --editor            with an X display: EditGetRect, EditOpen(null window),\n"
           "                      EditIdle, EditClose\n"
           "  --editor-without-display  the same without a display\n"
           "  --quiet             no call log, only problems\n"
           "  --notes             send a short note sequence (ProcessEvents) in the first blocks\n"
           "  --help              this text on standard output, exit code 0\n"
           "exit codes: 0 done, 1 bad command line, 2 module not loadable, 3 no entry point,\n"
           "  4 entry point returned null, 5 record unusable (wrong magic, no dispatcher),\n"
           "  6 output files not writable\n";
}

namespace
{
bool parseSetting(const char* text, std::pair<int, float>& setting)
{
    const std::string pair = text;
    const size_t equals = pair.find('=');
    int index = 0;
    double value = 0.0;
    if (equals == std::string::npos ||
        !parseInt(pair.substr(0, equals).c_str(), 0, 1 << 20, index) ||
        !parseDouble(pair.substr(equals + 1).c_str(), -1e9, 1e9, value))
        return false;
    setting = {index, static_cast<float>(value)};
    return true;
}

// Parses the value of an option that takes one; false when it is malformed.
bool parseValue(const std::string& name, const char* value, HostOptions& options)
{
    if (name == "--blocks")
        return parseInt(value, 0, 10000000, options.blocks);
    if (name == "--block-size")
        return parseInt(value, 1, 1 << 20, options.blockSize);
    if (name == "--sample-rate")
        return parseDouble(value, 1.0, 10000000.0, options.sampleRate);
    if (name == "--cycles")
        return parseInt(value, 1, 1000000, options.cycles);
    if (name == "--threads")
        return parseInt(value, 0, 256, options.threads);
    if (name == "--thread-calls")
        return parseInt(value, 0, 100000000, options.threadCalls);
    if (name == "--program")
        return parseInt(value, 0, 1 << 20, options.program);
    if (name == "--set-param")
    {
        std::pair<int, float> setting;
        if (!parseSetting(value, setting))
            return false;
        options.paramSettings.push_back(setting);
        return true;
    }
    std::string* path = name == "--write-audio"   ? &options.audioPath
                        : name == "--write-input" ? &options.inputPath
                        : name == "--report"      ? &options.reportPath
                                                  : &options.logPath;
    *path = value;
    return !path->empty();
}

bool takesValue(const std::string& name)
{
    for (const char* option :
         {"--blocks", "--block-size", "--sample-rate", "--cycles", "--threads", "--thread-calls",
          "--program", "--set-param", "--write-audio", "--write-input", "--report", "--log"})
        if (name == option)
            return true;
    return false;
}

bool parseFlag(const std::string& name, HostOptions& options)
{
    if (name == "--unload-each-cycle")
        options.unloadEachCycle = true;
    else if (name == "--no-unload")
        options.unload = false;
    else if (name == "--unload-without-close")
        options.close = false;
    else if (name == "--exit-without-close")
    {
        options.close = false;
        options.exitWithoutClose = true;
    }
    else if (name == "--return-without-close")
        options.close = options.unload = false;
    else if (name == "--entry-twice")
        options.entryTwice = true;
    else if (name == "--usage")
        options.usage = true;
    else if (name == "--params")
        options.setParams = true;
    else if (name == "--editor")
        options.editor = true;
    else if (name == "--editor-without-display")
        options.editor = options.editorWithoutDisplay = true;
    else if (name == "--quiet")
        options.quiet = true;
    else if (name == "--notes")
        options.notes = true;
    else if (name == "--help")
        options.help = true;
    else
        return false;
    return true;
}
} // namespace

bool parseHostOptions(int argc, char** argv, HostOptions& options, std::string& error)
{
    for (int i = 1; i < argc; ++i)
    {
        const std::string arg = argv[i];
        if (takesValue(arg))
        {
            if (i + 1 >= argc)
            {
                error = arg + " needs a value";
                return false;
            }
            const char* value = argv[++i];
            if (!parseValue(arg, value, options))
            {
                error = "bad value for " + arg + ": " + value;
                return false;
            }
        }
        else if (parseFlag(arg, options))
            continue;
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
    if (options.help)
        return true;
    if (options.modulePath.empty())
    {
        error = "no module given";
        return false;
    }
    if (options.unloadEachCycle && !options.unload)
    {
        error = "--unload-each-cycle and --no-unload contradict each other";
        return false;
    }
    return true;
}
} // namespace host
