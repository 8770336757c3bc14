#include "tests/plugins/support/ProgramRun.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <signal.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace partners
{
namespace
{
std::vector<std::string> mergedEnvironment(const Environment& extra)
{
    std::vector<std::string> merged;
    for (char** entry = environ; *entry != nullptr; ++entry)
    {
        const std::string text = *entry;
        const std::string name = text.substr(0, text.find('='));
        bool replaced = false;
        for (const auto& [key, value] : extra)
            replaced = replaced || key == name;
        if (!replaced)
            merged.push_back(text);
    }
    for (const auto& [key, value] : extra)
        merged.push_back(key + "=" + value);
    return merged;
}

std::vector<char*> pointers(std::vector<std::string>& strings)
{
    std::vector<char*> result;
    for (auto& s : strings)
        result.push_back(s.data());
    result.push_back(nullptr);
    return result;
}
} // namespace

RunResult runProgram(const std::vector<std::string>& argv, const Environment& extraEnvironment,
                     int timeoutSeconds)
{
    RunResult result;
    TempDir capture;
    const std::string outPath = capture.file("stdout");
    const std::string errPath = capture.file("stderr");
    const int outFd = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const int errFd = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    std::vector<std::string> args = argv;
    std::vector<std::string> environment = mergedEnvironment(extraEnvironment);
    std::vector<char*> argPointers = pointers(args);
    std::vector<char*> environmentPointers = pointers(environment);

    // Everything the child needs is prepared here: after fork it may only call async-safe code.
    const pid_t pid = fork();
    if (pid == 0)
    {
        dup2(outFd, STDOUT_FILENO);
        dup2(errFd, STDERR_FILENO);
        const int devNull = open("/dev/null", O_RDONLY);
        dup2(devNull, STDIN_FILENO);
        execve(argPointers[0], argPointers.data(), environmentPointers.data());
        _exit(127);
    }
    close(outFd);
    close(errFd);
    if (pid < 0)
        return result;

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0)
    {
        if (std::chrono::steady_clock::now() > deadline)
        {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            result.timedOut = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    result.exited = !result.timedOut && WIFEXITED(status);
    result.exitCode = result.exited ? WEXITSTATUS(status) : -1;
    result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    result.out = readFile(outPath);
    result.err = readFile(errPath);
    return result;
}

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "oplexa-partners-XXXXXX");
    if (mkdtemp(pattern.data()) == nullptr)
        std::abort();
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::vector<float> readFloats(const std::string& path)
{
    const std::string bytes = readFile(path);
    std::vector<float> samples(bytes.size() / sizeof(float));
    std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(float));
    return samples;
}

std::map<std::string, std::string> readKeyValues(const std::string& path)
{
    std::map<std::string, std::string> values;
    std::istringstream lines(readFile(path));
    std::string line;
    while (std::getline(lines, line))
    {
        const size_t equals = line.find('=');
        if (equals != std::string::npos)
            values[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return values;
}
} // namespace partners
