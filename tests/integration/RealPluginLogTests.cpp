// A real plug-in hosted through Oplexa by oplexa-host: every log line parses as one of the
// logger's line forms, and the call lines per opcode match the calls the host saw being made.
#include "logger/OpCodeCatalogue.h"
#include "tests/support/OplexaUnderTest.h"

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <sstream>
#include <unistd.h>

namespace
{
std::string escaped(const char* text)
{
    return std::regex_replace(text, std::regex(R"([.^$|()\[\]{}*+?\\])"), R"(\$&)");
}

// The exact shape a call line of this catalogue entry takes with parameters on.
std::string callPattern(const char* prefix, const VstOpCodeInfo& info)
{
    std::string pattern = std::string(prefix) + escaped(info.name) + " ";
    if (info.indexLabel != nullptr)
        pattern += escaped(info.indexLabel) + "=-?\\d+ ";
    if (info.valueLabel != nullptr)
        pattern += escaped(info.valueLabel) + "=-?\\d+ ";
    if (info.ptrLabel != nullptr && !info.ptrIsReturned)
        pattern += escaped(info.ptrLabel) +
                   (info.ptrKind == ptrString ? "=.* " : "=(0x[0-9a-f]+|\\(nil\\)) ");
    if (info.optLabel != nullptr)
        pattern += escaped(info.optLabel) + "=-?\\d+\\.\\d{6} ";
    return pattern;
}

std::string returnPattern(const char* prefix, const VstOpCodeInfo& info, bool rectangle)
{
    std::string pattern = std::string(prefix) + escaped(info.name) + " returned ";
    if (info.returnLabel != nullptr)
        pattern += escaped(info.returnLabel) + "=-?\\d+ ";
    if (info.ptrLabel != nullptr && info.ptrIsReturned)
    {
        std::string pointer = "(0x[0-9a-f]+|\\(nil\\))";
        if (info.ptrKind == ptrString)
            pointer = ".*";
        else if (info.ptrKind == ptrRectOut && rectangle)
            pointer =
                "(top\\(-?\\d+\\), left\\(-?\\d+\\), bottom\\(-?\\d+\\), right\\(-?\\d+\\) |" +
                pointer + ")";
        pattern += escaped(info.ptrLabel) + "=" + pointer;
    }
    return pattern;
}

struct Tally
{
    std::map<int, int> dispatcher, audioMaster;
    std::map<std::string, int> functions;
};

class RealPluginLog : public testing::TestWithParam<std::string>
{
protected:
    void run(const std::string& plugin)
    {
        const std::string command = "OPLEXA_PLUGIN='" + plugin + "' OPLEXA_LOG_FILE='" +
                                    temp.file("oplexa.log") + "' DISPLAY= '" + OPLEXA_HOST_PATH +
                                    "' --blocks 8 --params --log '" + temp.file("host.log") +
                                    "' '" + module() + "' > /dev/null 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    std::string module()
    {
        const std::string path = temp.file("Oplexa.so");
        symlink(OPLEXA_MODULE_PATH, path.c_str());
        return path;
    }
    TempFolder temp;
};

// Counts what oplexa-host says it called and was called with.
Tally hostCalls(const std::string& log)
{
    Tally tally;
    const std::regex dispatch(R"(^host: dispatcher\(opcode=(-?\d+) )");
    const std::regex master(R"(^host: audioMaster\(effect=\S+ \S+, opcode=(-?\d+) )");
    const std::regex function(R"(^host: (processReplacing|process|getParameter|setParameter)\()");
    std::smatch match;
    std::istringstream in(log);
    for (std::string line; std::getline(in, line);)
    {
        if (std::regex_search(line, match, dispatch))
            ++tally.dispatcher[std::stoi(match[1])];
        else if (std::regex_search(line, match, master))
            ++tally.audioMaster[std::stoi(match[1])];
        else if (std::regex_search(line, match, function))
            ++tally.functions[match[1]];
    }
    return tally;
}
} // namespace

TEST_P(RealPluginLog, EveryLineParsesAndCallLinesMatchTheCallsMade)
{
    const std::string plugin = GetParam();
    if (access(plugin.c_str(), R_OK) != 0)
        GTEST_SKIP() << plugin << " is not installed";
    run(plugin);

    std::vector<std::pair<int, std::regex>> dispatcherCalls, masterCalls;
    std::vector<std::regex> returns;
    for (int i = 0; i < kNumDispatcherOpCodes; ++i)
    {
        dispatcherCalls.emplace_back(i, std::regex(callPattern("eff", effOpCodes[i])));
        returns.emplace_back(returnPattern("eff", effOpCodes[i], true));
    }
    for (int i = 0; i < kNumAudioMasterOpCodes; ++i)
    {
        masterCalls.emplace_back(i, std::regex(callPattern("audioMaster", audioMasterOpCodes[i])));
        returns.emplace_back(returnPattern("audioMaster", audioMasterOpCodes[i], false));
    }
    const std::regex prefix(R"(^\(([0-9A-F]+)\) ([^:]+):(.*)$)");
    const std::regex function(
        R"(^(processReplacing|process)\(inputs:0x[0-9a-f]+, outputs:0x[0-9a-f]+, sampleFrames:\d+\)$|^(setParameter)\(index: \d+, parameter: -?\d+\.\d{6}\)$|^(getParameter)\(index: \d+\)$|^getParameter returned -?\d+\.\d{6}$)");
    const std::regex ownMessage(
        R"(^(Oplexa - /.*|Settings file /.*|\d{1,2} \w{3} \d{4} \d{1,2}:\d\d:\d\d[ap]m|Unloaded /.*|No display to show the monitor window on; logging goes on without it)$)");

    Tally logged;
    size_t lines = 0;
    std::istringstream in(readFile(temp.file("oplexa.log")));
    std::smatch match, functionMatch;
    for (std::string line; std::getline(in, line); ++lines)
    {
        ASSERT_TRUE(std::regex_match(line, match, prefix)) << line;
        const std::string message = match[3];
        bool parsed = std::regex_match(message, ownMessage);
        for (size_t i = 0; !parsed && i < dispatcherCalls.size(); ++i)
            if (std::regex_match(message, dispatcherCalls[i].second))
            {
                ++logged.dispatcher[dispatcherCalls[i].first];
                parsed = true;
            }
        for (size_t i = 0; !parsed && i < masterCalls.size(); ++i)
            if (std::regex_match(message, masterCalls[i].second))
            {
                ++logged.audioMaster[masterCalls[i].first];
                parsed = true;
            }
        for (size_t i = 0; !parsed && i < returns.size(); ++i)
            parsed = std::regex_match(message, returns[i]);
        if (!parsed && std::regex_match(message, functionMatch, function))
        {
            parsed = true;
            for (size_t group = 1; group <= 3; ++group)
                if (functionMatch[group].matched)
                    ++logged.functions[functionMatch[group]];
        }
        EXPECT_TRUE(parsed) << line;
    }
    EXPECT_GT(lines, 100u);

    Tally made = hostCalls(readFile(temp.file("host.log")));
    EXPECT_EQ(logged.dispatcher, made.dispatcher);
    EXPECT_EQ(logged.audioMaster, made.audioMaster);
    EXPECT_EQ(logged.functions, made.functions);
    EXPECT_GT(logged.functions["processReplacing"], 0);
    EXPECT_GT(logged.functions["getParameter"], 0);
    EXPECT_GT(logged.functions["setParameter"], 0);
}

INSTANTIATE_TEST_SUITE_P(DebianPlugins, RealPluginLog,
                         testing::Values("/usr/lib/vst/MVerb-vst.so",
                                         "/usr/lib/vst/lsp-plugins/compressor-stereo.so"));
