// The one write-until-done loop against a non-blocking pipe: a full pipe is waited out only when
// the caller gives a wait, a wait that gives up and a closed reader end it with their error.
#include "logger/SafeCalls.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace
{
struct Pipe
{
    int ends[2] = {-1, -1};
    std::string read;
};

// The wait of a caller whose reader takes everything the pipe holds each time it is asked.
bool drain(void* context) noexcept
{
    auto& pipe = *static_cast<Pipe*>(context);
    char chunk[65536];
    for (ssize_t n; (n = ::read(pipe.ends[0], chunk, sizeof chunk)) > 0;)
        pipe.read.append(chunk, static_cast<size_t>(n));
    return true;
}
bool giveUp(void*) noexcept
{
    return false;
}
} // namespace

TEST(SafeCalls, WriteAllEndsOnlyWhenDoneOrWithTheErrorThatStoppedIt)
{
    signal(SIGPIPE, SIG_IGN);
    enum Reader
    {
        kDrains,
        kNone,
        kGivesUp,
        kClosed
    };
    const struct
    {
        Reader reader;
        int error;
    } cases[] = {{kDrains, 0}, {kNone, EAGAIN}, {kGivesUp, ECANCELED}, {kClosed, EPIPE}};
    for (const auto& c : cases)
    {
        Pipe pipe;
        ASSERT_EQ(pipe2(pipe.ends, O_NONBLOCK), 0);
        if (c.reader == kClosed)
            close(pipe.ends[0]);
        // Three pieces, together well past what a pipe holds, one of them empty.
        std::string first(300000, 'a'), second(200000, 'b');
        iovec pieces[] = {
            {first.data(), first.size()}, {nullptr, 0}, {second.data(), second.size()}};
        safeCalls::WriteWait wait;
        if (c.reader == kDrains || c.reader == kGivesUp)
            wait = {c.reader == kDrains ? drain : giveUp, &pipe};
        EXPECT_EQ(safeCalls::writeAll(pipe.ends[1], pieces, 3, wait), c.error) << c.reader;
        if (c.reader == kDrains)
        {
            drain(&pipe);
            EXPECT_EQ(pipe.read, first + second);
        }
        close(pipe.ends[1]);
        if (c.reader != kClosed)
            close(pipe.ends[0]);
    }
}
