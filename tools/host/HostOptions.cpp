#include "tools/host/HostOptions.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

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
           "  --editor            EditGetRect, EditOpen(null window), EditIdle, EditClose\n"
           "  --quiet             no call log, only problems\n";
}

bool parseHostOptions(int argc, char** argv, HostOptions& options, std::string& error)
{
    for (int i = 1; i < argc; ++i)
    {
        const char* arg = argv[i];
        const char* next = i + 1 < argc ? argv[i + 1] : nullptr;
        auto needsValue = [&]()
        {
            if (next == nullptr)
            {
                error = std::string(arg) + " needs a value";
                return false;
            }
            ++i;
            return true;
        };
        auto badValue = [&]()
        {
            error = std::string("bad value for ") + arg + ": " + next;
            return false;
        };

        if (std::strcmp(arg, "--blocks") == 0)
        {
            if (!needsValue() || !parseInt(next, 0, 10000000, options.blocks))
                return error.empty() ? badValue() : false;
        }
        else if (std::strcmp(arg, "--block-size") == 0)
        {
            if (!needsValue() || !parseInt(next, 1, 1 << 20, options.blockSize))
                return error.empty() ? badValue() : false;
        }
        else if (std::strcmp(arg, "--sample-rate") == 0)
        {
            if (!needsValue() || !parseDouble(next, 1.0, 10000000.0, options.sampleRate))
                return error.empty() ? badValue() : false;
        }
        else if (std::strcmp(arg, "--cycles") == 0)
        {
            if (!needsValue() || !parseInt(next, 1, 1000000, options.cycles))
                return error.empty() ? badValue() : false;
        }
        else if (std::strcmp(arg, "--threads") == 0)
        {
            if (!needsValue() || !parseInt(next, 0, 256, options.threads))
                return error.empty() ? badValue() : false;
        }
        else if (std::strcmp(arg, "--thread-calls") == 0)
        {
            if (!needsValue() || !parseInt(next, 0, 100000000, options.threadCalls))
                return error.empty() ? badValue() : false;
        }
        else if (std::strcmp(arg, "--program") == 0)
        {
            if (!needsValue() || !parseInt(next, 0, 1 << 20, options.program))
                return error.empty() ? badValue() : false;
        }
        else if (std::strcmp(arg, "--set-param") == 0)
        {
            if (!needsValue())
                return false;
            const std::string setting = next;
            const size_t equals = setting.find('=');
            int index = 0;
            double value = 0.0;
            if (equals == std::string::npos ||
                !parseInt(setting.substr(0, equals).c_str(), 0, 1 << 20, index) ||
                !parseDouble(setting.substr(equals + 1).c_str(), -1e9, 1e9, value))
                return badValue();
            options.paramSettings.emplace_back(index, static_cast<float>(value));
        }
        else if (std::strcmp(arg, "--write-audio") == 0)
        {
            if (!needsValue())
                return false;
            options.audioPath = next;
        }
        else if (std::strcmp(arg, "--write-input") == 0)
        {
            if (!needsValue())
                return false;
            options.inputPath = next;
        }
        else if (std::strcmp(arg, "--report") == 0)
        {
            if (!needsValue())
                return false;
            options.reportPath = next;
        }
        else if (std::strcmp(arg, "--log") == 0)
        {
            if (!needsValue())
                return false;
            options.logPath = next;
        }
        else if (std::strcmp(arg, "--unload-each-cycle") == 0)
            options.unloadEachCycle = true;
        else if (std::strcmp(arg, "--no-unload") == 0)
            options.unload = false;
        else if (std::strcmp(arg, "--params") == 0)
            options.setParams = true;
        else if (std::strcmp(arg, "--editor") == 0)
            options.editor = true;
        else if (std::strcmp(arg, "--quiet") == 0)
            options.quiet = true;
        else if (arg[0] == '-' && arg[1] != '\0')
        {
            error = std::string("unknown option ") + arg;
            return false;
        }
        else if (options.modulePath.empty())
            options.modulePath = arg;
        else
        {
            error = std::string("more than one module given: ") + arg;
            return false;
        }
    }
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
