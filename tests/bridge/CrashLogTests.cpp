// A plug-in crashes inside a call while two other threads log: the log holds whole lines, each
// once, every line logged before the crash, and the Crash line last. A host whose own handler
// jumps out of the crash goes on logging. Each run is a forked child that loads Oplexa afresh.
#include "tests/support/OplexaUnderTest.h"

#include <atomic>
#include <csetjmp>
#include <csignal>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace
{
constexpr int kRuns = 20;
constexpr int kCallsPerThread = 20000;
// Each logging thread has made this many calls when the crash comes.
constexpr int kCallsBeforeCrash = 1000;

sigjmp_buf hostJump;

// As hosts that survive a crashing plug-in do.
void jumpOutOfCrash(int)
{
    siglongjmp(hostJump, 1);
}

[[noreturn]] void crashingHost(const std::string& module, bool survive)
{
    if (survive)
    {
        struct sigaction action
        {
        };
        action.sa_handler = jumpOutOfCrash;
        sigemptyset(&action.sa_mask);
        sigaction(SIGSEGV, &action, nullptr);
    }
    setenv("OPLEXA_PROBE_CRASH_OPCODE", "45", 1);
    setenv("OPLEXA_PROBE_CRASH", "segv", 1);
    AEffect* proxy = hostModule(module, TestHost::audioMaster).effect;
    if (proxy == nullptr)
        _exit(3);
    std::atomic<int> calls[2]{};
    auto logging = [proxy, &calls](int t)
    {
        for (int i = 0; i < kCallsPerThread; ++i)
        {
            proxy->setParameter(proxy, i, 0.5f);
            calls[t].store(i + 1);
        }
    };
    std::thread first(logging, 0), second(logging, 1);
    while (calls[0].load() < kCallsBeforeCrash || calls[1].load() < kCallsBeforeCrash)
        std::this_thread::yield();
    if (sigsetjmp(hostJump, 1) == 0)
    {
        char name[64] = {};
        proxy->dispatcher(proxy, effGetEffectName, 0, 0, name, 0.0f);
        _exit(4);
    }
    first.join();
    second.join();
    // Logging goes on before Close, which would write what the queue holds anyway, and sooner
    // than the writer's own limit.
    proxy->dispatcher(proxy, effGetVendorVersion, 0, 0, nullptr, 0.0f);
    const auto logged = []
    {
        return readFile(getenv("OPLEXA_LOG_FILE")).find(":effGetVendorVersion returned") !=
               std::string::npos;
    };
    if (!waitUntil(logged, 3000))
        _exit(5);
    proxy->dispatcher(proxy, effClose, 0, 0, nullptr, 0.0f);
    _exit(0);
}

// Waits for the child at most a minute; -1 when it still ran and was killed.
int waitFor(pid_t child)
{
    int status = 0;
    if (waitUntil([&] { return waitpid(child, &status, WNOHANG) == child; }, 60000))
        return status;
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
    return -1;
}

// What is wrong with the log of one run; empty when nothing is.
std::string logProblem(const std::string& log, bool survived)
{
    if (log.find('\0') != std::string::npos)
        return "a NUL byte";
    if (log.empty() || log.back() != '\n')
        return "a partial last line";
    const std::regex whole(
        R"(\([0-9A-F]+\) (Oplexa\.so|oplexa-probe\.so):(?!.*\) (Oplexa|oplexa-probe)\.so:).*)");
    const std::regex numbered(
        R"((\([0-9A-F]+\)) oplexa-probe\.so:setParameter\(index: (\d+), parameter: 0\.5\d*\))");
    const std::string crash = "oplexa-probe.so:Crash: SIGSEGV inside effGetEffectName";
    std::map<std::string, std::vector<int>> numbers;
    std::vector<std::string> lines;
    std::istringstream in(log);
    for (std::string line; std::getline(in, line);)
    {
        if (!std::regex_match(line, whole))
            return "not a whole line: " + line.substr(0, 200);
        std::smatch match;
        if (line.find(":setParameter") != std::string::npos)
        {
            if (!std::regex_match(line, match, numbered))
                return "not a whole setParameter line: " + line;
            numbers[match[1].str()].push_back(std::stoi(match[2].str()));
        }
        lines.push_back(line);
    }
    size_t crashes = 0;
    size_t crashAt = 0;
    size_t callAt = lines.size();
    for (size_t i = 0; i < lines.size(); ++i)
    {
        if (lines[i].find(crash) != std::string::npos)
            crashAt = i, ++crashes;
        if (lines[i].find("oplexa-probe.so:effGetEffectName ") != std::string::npos)
            callAt = i;
    }
    if (crashes != 1)
        return std::to_string(crashes) + " Crash lines";
    if (callAt > crashAt)
        return "no effGetEffectName line before the Crash line";
    if (!survived && crashAt + 1 != lines.size())
        return "after the Crash line: " + lines[crashAt + 1];
    if (numbers.size() != 2)
        return std::to_string(numbers.size()) + " logging threads";
    for (const auto& [thread, indexes] : numbers)
    {
        const int expected = survived ? kCallsPerThread : static_cast<int>(indexes.size());
        if (static_cast<int>(indexes.size()) < kCallsBeforeCrash ||
            static_cast<int>(indexes.size()) != expected)
            return thread + " logged " + std::to_string(indexes.size()) + " lines";
        for (size_t i = 0; i < indexes.size(); ++i)
            if (indexes[i] != static_cast<int>(i))
                return thread + " index " + std::to_string(indexes[i]) + " where " +
                       std::to_string(i) + " belongs";
    }
    return {};
}

void crashRuns(bool survive)
{
    TempFolder temp;
    const std::string module = temp.file("Oplexa.so");
    ASSERT_EQ(symlink(OPLEXA_MODULE_PATH, module.c_str()), 0);
    // Room for every line: a dropped line would leave a gap that looks like a lost one.
    std::ofstream(temp.file("Oplexa.xml"))
        << R"(<Oplexa><Logger><Parameters logQueueKB="65536"/></Logger></Oplexa>)";
    setenv("OPLEXA_PLUGIN", OPLEXA_PROBE_PATH, 1);
    unsetenv("DISPLAY");
    int clean = 0;
    for (int run = 0; run < kRuns; ++run)
    {
        const std::string log = temp.file("log" + std::to_string(run) + ".txt");
        setenv("OPLEXA_LOG_FILE", log.c_str(), 1);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0)
            crashingHost(module, survive);
        const int status = waitFor(child);
        if (survive)
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
                << "run " << run << ": status " << status;
        else
            EXPECT_TRUE(WIFSIGNALED(status)) << "run " << run << ": status " << status;
        const std::string problem = logProblem(readFile(log), survive);
        EXPECT_EQ(problem, "") << "run " << run;
        clean += problem.empty() ? 1 : 0;
    }
    EXPECT_EQ(clean, kRuns);
}
} // namespace

TEST(CrashLog, ACrashWhileTwoThreadsLogLeavesWholeLinesOnceAndTheCrashLineLast)
{
    crashRuns(false);
}

TEST(CrashLog, AHostThatJumpsOutOfTheCrashGoesOnLoggingEveryLine)
{
    crashRuns(true);
}
