// The log ring on its own: many producers, order, wrap-around and the signal-safe drain. A full
// ring and its count of drops are tried with the writer (LogWriterTests.cpp).
// The ThreadSanitizer build runs these too.
#include "logger/LogQueue.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <atomic>

#include <csignal>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace
{
std::vector<std::string> popAll(LogQueue& queue)
{
    std::vector<std::string> lines;
    iovec iov[16];
    for (;;)
    {
        const LogQueue::Batch batch = queue.peek(iov, 16, SIZE_MAX);
        for (size_t i = 0; i < batch.lines; ++i)
            lines.emplace_back(static_cast<const char*>(iov[i].iov_base), iov[i].iov_len);
        queue.release(batch.end);
        if (batch.lines == 0 && !queue.hasPublished())
            return lines;
    }
}

std::string numberedLine(int thread, int number)
{
    // Lengths from 4 to about 300 bytes, so that records of every size meet the ring's end.
    return std::to_string(thread) + ' ' + std::to_string(number) + ' ' +
           std::string(static_cast<size_t>((number * 37 + thread) % 290), 'x') + '\n';
}
} // namespace

// Unserialized: each thread's lines in its own order. Serialized by a lock around taking a
// ticket and pushing: the one order across all threads.
class LogQueueProducers : public testing::TestWithParam<bool>
{
};

TEST_P(LogQueueProducers, EveryLineLeavesOnceWholeInReservationOrder)
{
    const bool serialized = GetParam();
    constexpr int kThreads = 8;
    constexpr int kLines = 20000;
    LogQueue queue(64 * 1024);
    std::mutex ticketLock;
    int nextTicket = 0;
    std::vector<std::thread> producers;
    for (int t = 0; t < kThreads; ++t)
        producers.emplace_back(
            [&, t]
            {
                for (int i = 0; i < kLines; ++i)
                {
                    std::unique_lock<std::mutex> turn(ticketLock, std::defer_lock);
                    if (serialized)
                        turn.lock();
                    const std::string line =
                        numberedLine(serialized ? 0 : t, serialized ? nextTicket++ : i);
                    while (!queue.tryPush(line.data(), line.size()))
                        std::this_thread::yield();
                }
            });
    std::vector<int> nextOf(kThreads, 0);
    int taken = 0;
    while (taken < kThreads * kLines)
        for (const std::string& line : popAll(queue))
        {
            const int thread = std::stoi(line);
            const int number = std::stoi(line.substr(line.find(' ') + 1));
            ASSERT_EQ(number, nextOf[static_cast<size_t>(thread)]++) << line;
            ASSERT_EQ(line, numberedLine(thread, number));
            ++taken;
        }
    for (std::thread& producer : producers)
        producer.join();
    EXPECT_TRUE(queue.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Both, LogQueueProducers, testing::Bool());

// With room for every line, no push is ever refused, however the consumer's progress and the
// other producers' reservations interleave with a producer's own.
TEST(LogQueue, APushIsRefusedOnlyWhenTheQueueIsFull)
{
    constexpr int kThreads = 8;
    constexpr int kLines = 20000;
    LogQueue queue(64 * 1024 * 1024); // more than every line together
    std::atomic<int> refused{0};
    std::atomic<int> running{kThreads};
    std::vector<std::thread> producers;
    for (int t = 0; t < kThreads; ++t)
        producers.emplace_back(
            [&, t]
            {
                for (int i = 0; i < kLines; ++i)
                {
                    const std::string line = numberedLine(t, i);
                    if (!queue.tryPush(line.data(), line.size()))
                        ++refused;
                }
                --running;
            });
    while (running > 0)
        popAll(queue);
    for (std::thread& producer : producers)
        producer.join();
    EXPECT_EQ(refused, 0);
}

TEST(LogQueue, ALineMeetsTheEndAtEveryOffset)
{
    const std::string longLine = std::string(1023, 'L') + '\n';
    for (size_t before = 0; before <= 1040; before += 8)
    {
        LogQueue queue(LogQueue::kMinimumCapacity);
        // Records of 1032 bytes, then two that bring the head to before bytes from the end.
        for (size_t left = queue.capacity() - before; left > 0;)
        {
            const size_t record = left > 2064 ? 1032 : left > 1032 ? left / 2 & ~size_t{7} : left;
            const std::string filler(record - 8, 'f');
            ASSERT_TRUE(queue.tryPush(filler.data(), filler.size()));
            ASSERT_EQ(popAll(queue).size(), 1u);
            left -= record;
        }
        ASSERT_TRUE(queue.tryPush(longLine.data(), longLine.size()));
        ASSERT_TRUE(queue.tryPush("after\n", 6));
        EXPECT_EQ(popAll(queue), (std::vector<std::string>{longLine, "after\n"})) << before;
        EXPECT_TRUE(queue.isEmpty());
    }
}

namespace
{
LogQueue* crashQueue = nullptr;
int crashFd = -1;
uint64_t crashEnd = 0;
void drainOnSignal(int)
{
    crashEnd = crashQueue->writePublished(crashQueue->released(), crashFd);
}
} // namespace

TEST(LogQueue, ASignalHandlerWritesEveryPublishedLine)
{
    LogQueue queue(LogQueue::kMinimumCapacity);
    Pipe pipe;
    std::string expected;
    for (int i = 0; i < 200; ++i)
    {
        const std::string line = numberedLine(1, i);
        ASSERT_TRUE(queue.tryPush(line.data(), line.size()));
        expected += line;
    }
    crashQueue = &queue;
    crashFd = pipe.fds[1];
    std::signal(SIGUSR1, drainOnSignal);
    std::thread reader([&] { EXPECT_EQ(pipe.readAll(), expected); });
    raise(SIGUSR1);
    std::signal(SIGUSR1, SIG_DFL);
    pipe.closeEnd(1);
    reader.join();
    // The lines stay queued until released, up to the end the handler reached.
    EXPECT_FALSE(queue.isEmpty());
    queue.release(crashEnd);
    EXPECT_TRUE(queue.isEmpty());
}
