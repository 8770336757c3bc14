#include "tests/bench/WriterThroughput.h"

#include "logger/LineBuffer.h"
#include "logger/LogSink.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{
constexpr int kLines = 1000000;
constexpr int kRepetitions = 3;
// A processReplacing line as the module writes it.
constexpr char kLine[] = "(7F0123456789AB) oplexa-demo-gain.so:processReplacing(inputs:"
                         "0x562023dd2be0, outputs:0x562023dd2ae0, sampleFrames:512)\n";

struct Destination
{
    const char* name;
    std::string path;
};

// Lines a second, or a negative number when the file does not hold every line once.
double linesPerSecond(const std::string& path)
{
    if (path != "/dev/null")
        std::filesystem::remove(path);
    LogOutputOptions options;
    options.file = path;
    startLogOutput(options, [](LineBuffer& line) { line.appendLiteral("(0) bench:"); });
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kLines; ++i)
        sendLogLine(kLine, sizeof kLine - 1);
    stopLogOutput();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (path != "/dev/null")
    {
        std::ifstream in(path);
        long lines = 0;
        for (std::string text; std::getline(in, text); ++lines)
            if (text + "\n" != kLine)
                return -1;
        std::filesystem::remove(path);
        if (lines != kLines)
            return -1;
    }
    return kLines / took.count();
}
} // namespace

bool runWriterThroughput(std::ostream& out)
{
    char disk[] = "/tmp/oplexa-bench-XXXXXX";
    char shm[] = "/dev/shm/oplexa-bench-XXXXXX";
    if (mkdtemp(disk) == nullptr || mkdtemp(shm) == nullptr)
        return false;
    const Destination destinations[] = {{"a file on disk (/tmp)", std::string(disk) + "/log.txt"},
                                        {"/dev/null", "/dev/null"},
                                        {"a file in /dev/shm", std::string(shm) + "/log.txt"}};
    bool whole = true;
    out << "| log queue to | lines per second (median of " << kRepetitions << " x " << kLines
        << ") | every line written once |\n| --- | ---: | --- |\n";
    for (const Destination& destination : destinations)
    {
        std::vector<double> rates;
        for (int i = 0; i < kRepetitions; ++i)
            rates.push_back(linesPerSecond(destination.path));
        std::sort(rates.begin(), rates.end());
        const bool complete = rates.front() > 0;
        whole = whole && complete;
        char rate[32];
        std::snprintf(rate, sizeof rate, "%.2f M", rates[rates.size() / 2] / 1e6);
        out << "| " << destination.name << " | " << (complete ? rate : "-") << " | "
            << (destination.path == "/dev/null" ? "(not readable)"
                : complete                      ? "yes"
                                                : "NO")
            << " |\n";
    }
    rmdir(disk);
    rmdir(shm);
    return whole;
}
