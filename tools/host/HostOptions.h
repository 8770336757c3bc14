// Command line of oplexa-host.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace host
{
struct HostOptions
{
    std::string modulePath;
    int blocks = 16;
    int blockSize = 512;
    double sampleRate = 44100.0;
    int cycles = 1;
    bool unloadEachCycle = false;
    bool unload = true;
    // Endings without Close: dlclose, exit() or a return from main with the module loaded.
    bool close = true;
    bool exitWithoutClose = false;
    // Calls the entry point a second time after the first returned, as some scanners do.
    bool entryTwice = false;
    // Writes the process's resident memory and thread count after every cycle.
    bool usage = false;
    std::string audioPath;
    std::string inputPath;
    std::string reportPath;
    std::string logPath;
    bool setParams = false;
    // --program and --set-param, applied just before processing.
    int program = -1;
    std::vector<std::pair<int, float>> paramSettings;
    int threads = 0;
    int threadCalls = 2000;
    bool editor = false;
    bool editorWithoutDisplay = false;
    bool quiet = false;
    bool notes = false;
    bool help = false;
};

// Exit codes, so that tests can tell the failures apart.
enum HostExitCode
{
    kExitOk = 0,
    kExitUsage = 1,
    kExitLoadFailed = 2,
    kExitNoEntryPoint = 3,
    kExitNullRecord = 4,
    kExitBadRecord = 5, // wrong magic or no dispatcher
    kExitOutputFailed = 6,
};

const char* usageText();

// Fills options from argv; on failure returns false with the reason in error. With --help
// nothing else is checked.
bool parseHostOptions(int argc, char** argv, HostOptions& options, std::string& error);
} // namespace host
