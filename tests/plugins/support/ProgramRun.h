// Runs a program in a child process for the host tests, with extra environment variables,
// a time limit and its standard output and error captured.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace partners
{
struct RunResult
{
    bool exited = false; // false: killed by a signal or by the time limit
    int exitCode = -1;
    int signal = 0;
    bool timedOut = false;
    std::string out;
    std::string err;
};

using Environment = std::vector<std::pair<std::string, std::string>>;

RunResult runProgram(const std::vector<std::string>& argv, const Environment& extraEnvironment = {},
                     int timeoutSeconds = 120);

// A fresh directory under the system's temporary folder, removed with everything in it.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::string readFile(const std::string& path);
std::vector<float> readFloats(const std::string& path);
// "key=value" lines into a map; later lines win.
std::map<std::string, std::string> readKeyValues(const std::string& path);
} // namespace partners
