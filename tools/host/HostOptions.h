// Command line of oplexa-host.
#pragma once

#include <string>

namespace host
{
struct HostOptions
{
    std::string modulePath;
    int blocks = 16;
    int cycles = 1;
    // Instances hosted at once through the module, closed in reverse or in a random order
    // (from closeShuffle, or from the clock when it is negative).
    int instances = 1;
    bool randomCloseOrder = false;
    int closeShuffle = -1;
    // Endings without Close: dlclose, exit() or a return from main with the module loaded.
    bool close = true;
    bool unload = true;
    bool exitWithoutClose = false;
    // Calls the entry point a second time after the first returned, as some scanners do.
    bool entryTwice = false;
    // Races at a session's end: exit(0) or Close while another thread processes, a forked child
    // that calls exit(0), a second thread calling the entry point during Close or the entry.
    bool exitDuringProcess = false;
    bool closeDuringProcess = false;
    bool forkChildExit = false;
    int entryDuringCloseMs = -1;
    int entryDuringEntryMs = -1;
    // Writes the process's resident memory and thread count after every cycle.
    bool usage = false;
    // Writes the longest a process call of the blocks took, on standard error.
    bool slowestProcess = false;
    bool dirtyOutputs = false;
    std::string audioPath;
    std::string reportPath;
    std::string logPath;
    std::string recordFieldsPath;
    bool setParams = false;
    bool quiet = false;
    int blockSize = 512;
    double sampleRate = 44100.0;
    bool notes = false;
    // A host-side protocol rule the session breaks once (RuleBreaks.h); empty for none.
    std::string breakRule;
    // A recording to replay (modulePath, when given, replaces the recorded plug-in) or print.
    std::string replayPath;
    std::string printPath;
    bool help = false;
    // The first option given that a replay can't honour, with why; empty when none.
    std::string notForReplay;
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
    kExitDiverged = 7,     // a replayed call came out otherwise than recorded
    kExitUnreadable = 8,   // the recording is damaged, of another version, missing or has gaps
    kExitEndsEarly = 9,    // the recording ends without its end marker
    kExitChildFailed = 10, // the forked child crashed, failed or hung
};

const char* usageText();

// Fills options from argv; on failure returns false with the reason in error. With --help
// nothing else is checked.
bool parseHostOptions(int argc, char** argv, HostOptions& options, std::string& error);
} // namespace host
