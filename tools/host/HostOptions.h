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
    std::string audioPath;
    std::string reportPath;
    std::string logPath;
    bool setParams = false;
    bool quiet = false;
    // Fixed: no test, script or benchmark needs others.
    int blockSize = 512;
    double sampleRate = 44100.0;
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

// Fills options from argv; on failure returns false with the reason in error.
bool parseHostOptions(int argc, char** argv, HostOptions& options, std::string& error);
} // namespace host
