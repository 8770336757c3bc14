// The writer thread against a pipe whose reader pauses or stops reading: producers never wait,
// lines arrive whole and in order or are counted, and stop gives up in time. A closed pipe, a full
// device and a slow non-blocking reader are tried through the module by slow_readers.sh.
#include "logger/LogWriter.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <regex>
#include <string>
#include <thread>

namespace
{
using Clock = std::chrono::steady_clock;

void beginTestLine(LineBuffer& line)
{
    line.appendLiteral("(w) test:");
    line.markMessageStart();
}

std::string numberedLine(int number)
{
    return "line " + std::to_string(number) + ' ' +
           std::string(static_cast<size_t>(number % 200), '.') + '\n';
}

// Pushes count lines as fast as it can; returns how many were refused.
int pushLines(LogQueue& queue, LogWriter& writer, int count)
{
    int refused = 0;
    for (int i = 0; i < count; ++i)
    {
        const std::string line = numberedLine(i);
        if (queue.tryPush(line.data(), line.size()))
            writer.notify();
        else
        {
            queue.countDropped();
            ++refused;
        }
    }
    return refused;
}
} // namespace

TEST(LogWriter, APausedReaderNeverBlocksProducersAndDropsAreReportedInOrder)
{
    Pipe pipe;
    LogQueue queue(LogQueue::kMinimumCapacity);
    LogWriter writer(queue, pipe.fds[1], "pipe", beginTestLine);
    writer.start();
    // Nothing reads the pipe until every line is pushed: a producer that waited for the reader
    // would never get here.
    const int refused = pushLines(queue, writer, 20000);
    ASSERT_GT(refused, 0);
    std::thread stopper(
        [&]
        {
            writer.stop(std::chrono::seconds(60));
            pipe.closeEnd(1);
        });
    const std::string text = pipe.readAll();
    stopper.join();
    // Each line arrives whole and in order, or is counted in the next report of drops.
    int delivered = 0;
    int last = -1;
    int reported = 0;
    const std::regex droppedLine(R"(\(w\) test:Dropped (\d+) log lines: the log queue was full)");
    std::smatch match;
    for (size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1)
    {
        const std::string line = text.substr(at, end + 1 - at);
        const std::string withoutNewline = text.substr(at, end - at);
        if (std::regex_match(withoutNewline, match, droppedLine))
            reported += std::stoi(match[1]);
        else
        {
            const int number = std::stoi(line.substr(5));
            ASSERT_GT(number, last);
            ASSERT_EQ(line, numberedLine(number));
            last = number;
            ++delivered;
        }
    }
    EXPECT_EQ(reported, refused);
    EXPECT_EQ(delivered + reported, 20000);
}

TEST(LogWriter, StopGivesUpOnADestinationThatAcceptsNothing)
{
    Pipe pipe;
    LogQueue queue(LogQueue::kMinimumCapacity);
    LogWriter writer(queue, pipe.fds[1], "pipe", beginTestLine);
    writer.start();
    // Enough to fill the pipe, then the queue.
    pushLines(queue, writer, 2000);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const int refused = pushLines(queue, writer, 2000);
    testing::internal::CaptureStderr();
    const auto start = Clock::now();
    writer.stop(std::chrono::milliseconds(300));
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
    const std::string error = testing::internal::GetCapturedStderr();
    const uint64_t lost = writer.linesLost();
    EXPECT_GT(lost, 0u);
    EXPECT_EQ(error, "Oplexa dropped " + std::to_string(lost) +
                         " log lines: pipe accepted nothing until the log stopped\n");
    EXPECT_GT(refused, 0);
}
