// Lines as they leave the process: prefix, time, one write per whole line, the log file.
#include "logger/OXLogger.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <regex>

namespace
{
// The sink opens OPLEXA_LOG_FILE once per process; each test runs in a process of its own.
class LogFile
{
public:
    LogFile() { setenv("OPLEXA_LOG_FILE", path.c_str(), 1); }
    std::vector<std::string> lines() const { return readLines(path); }
    std::string text() const { return readFile(path); }

    TempFolder folder;
    std::string path = folder.file("log.txt");
};

std::string threadPrefix()
{
    char prefix[64];
    std::snprintf(prefix, sizeof prefix, "(%lX) ",
                  static_cast<unsigned long>(
                      reinterpret_cast<uintptr_t>(juce::Thread::getCurrentThreadId())));
    return prefix;
}
} // namespace

TEST(LogOutput, MessagesAreWrittenUnchangedEvenWhileLoggingIsStopped)
{
    LogFile file;
    OXLogger logger;
    logger.init("Oplexa.so");
    logger.loggingActive = false;
    logger.log("100% sure %s %d");
    juce::Logger::writeToLog("through JUCE's logger");
    EXPECT_EQ(file.lines(),
              (std::vector<std::string>{threadPrefix() + "Oplexa.so:100% sure %s %d",
                                        threadPrefix() + "Oplexa.so:through JUCE's logger"}));
}

TEST(LogOutput, OverlongLineIsCutToOneWholeLine)
{
    LogFile file;
    OXLogger logger;
    logger.init("Oplexa.so");
    const std::string message(3000, 'm');
    logger.log(message.c_str());
    logger.log("next");
    const std::string text = file.text();
    const auto lines = file.lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].size() + 1, 1023u);
    EXPECT_EQ(lines[0].substr(lines[0].size() - 5), "[...]");
    EXPECT_EQ(lines[1], threadPrefix() + "Oplexa.so:next");
}

TEST(LogOutput, UnopenableLogFileFallsBackToStandardOutput)
{
    setenv("OPLEXA_LOG_FILE", "/nonexistent-folder/oplexa.log", 1);
    testing::internal::CaptureStdout();
    OXLogger logger;
    logger.init("Oplexa.so");
    logger.log("still here");
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("Oplexa could not open the log file /nonexistent-folder/oplexa.log"),
              std::string::npos);
    EXPECT_NE(out.find("Oplexa.so:still here\n"), std::string::npos);
}
