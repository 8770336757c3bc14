// Lines as they leave the process: prefix, time, one write per whole line, the log file.
#include "bridge/SettingsFile.h"
#include "logger/OXLogger.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <regex>

namespace
{
OXLogger oxLogger;

// The sink opens OPLEXA_LOG_FILE once per process; each test runs in a process of its own.
class LogFile
{
public:
    LogFile() { setenv("OPLEXA_LOG_FILE", path.c_str(), 1); }
    // Stopping the output first writes what is queued.
    std::vector<std::string> lines() const
    {
        oxLogger.stopOutput();
        return readLines(path);
    }

    TempFolder folder;
    std::string path = folder.file("log.txt");
};

// Every test runs with lines queued for the writer thread and written directly.
class LogOutput : public testing::TestWithParam<const char*>
{
protected:
    void startLogging()
    {
        oxLogger.init("Oplexa.so");
        oxLogger.outputAttributes.set("logWrites", GetParam());
        oxLogger.startOutput(juce::File());
    }
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

TEST_P(LogOutput, MessagesAreWrittenUnchangedEvenWhileLoggingIsStopped)
{
    LogFile file;
    startLogging();
    oxLogger.loggingActive = false;
    oxLogger.log("100% sure %s %d");
    juce::Logger::writeToLog("through JUCE's logger");
    EXPECT_EQ(file.lines(),
              (std::vector<std::string>{threadPrefix() + "Oplexa.so:100% sure %s %d",
                                        threadPrefix() + "Oplexa.so:through JUCE's logger"}));
}

TEST_P(LogOutput, OverlongLineIsCutToOneWholeLine)
{
    LogFile file;
    startLogging();
    const std::string message(3000, 'm');
    oxLogger.log(message.c_str());
    oxLogger.log("next");
    const auto lines = file.lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].size() + 1, 1023u);
    EXPECT_EQ(lines[0].substr(lines[0].size() - 5), "[...]");
    EXPECT_EQ(lines[1], threadPrefix() + "Oplexa.so:next");
}

TEST_P(LogOutput, UnopenableLogFileFallsBackToStandardOutput)
{
    setenv("OPLEXA_LOG_FILE", "/nonexistent-folder/oplexa.log", 1);
    testing::internal::CaptureStdout();
    startLogging();
    oxLogger.log("still here");
    oxLogger.stopOutput();
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("Oplexa could not open the log file /nonexistent-folder/oplexa.log"),
              std::string::npos);
    EXPECT_NE(out.find("Oplexa.so:still here\n"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(QueuedAndDirect, LogOutput, testing::Values("queue", "direct"));

TEST(LogOutputSettings, WrittenBackOnlyWhenPresentAndARelativeLogFileIsBesideTheSettings)
{
    unsetenv("OPLEXA_LOG_FILE");
    TempFolder folder;
    const juce::File settings(folder.file("Oplexa.xml"));
    std::string lastDir("/opt/vst");
    for (const juce::String attributes :
         {"", " LOGFILE=\"log.txt\" logWrites=\"queue\" logQueueKB=\"64\""})
    {
        oxLogger.init("Oplexa.so");
        oxLogger.outputAttributes.clear();
        ASSERT_TRUE(writeSettings(settings, lastDir, oxLogger));
        const juce::String original = settings.loadFileAsString().replace(
            "logSummary=\"0\"", "logSummary=\"0\"" + attributes);
        ASSERT_TRUE(settings.replaceWithText(original));
        readSettings(settings, lastDir, oxLogger);
        oxLogger.startOutput(settings.getParentDirectory());
        oxLogger.log("beside");
        oxLogger.stopOutput();
        ASSERT_TRUE(writeSettings(settings, lastDir, oxLogger));
        const juce::String written = settings.loadFileAsString();
        if (attributes.isEmpty())
        {
            EXPECT_EQ(written, original);
        }
        readSettings(settings, lastDir, oxLogger);
        ASSERT_TRUE(writeSettings(settings, lastDir, oxLogger));
        EXPECT_EQ(settings.loadFileAsString(), written);
        for (const char* kept : {"logFile=\"log.txt\"", "logWrites=\"queue\"", "logQueueKB=\"64\""})
            EXPECT_EQ(written.contains(kept), attributes.isNotEmpty()) << kept;
        EXPECT_EQ(readLines(folder.file("log.txt")).size(), attributes.isEmpty() ? 0u : 1u);
    }
}
