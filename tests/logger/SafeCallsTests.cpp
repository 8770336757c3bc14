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
int readEnd = -1;
std::string received;

// A reader that takes everything the pipe holds each time the writer waits.
bool drain(void*) noexcept
{
    char chunk[65536];
    for (ssize_t n; (n = ::read(readEnd, chunk, sizeof chunk)) > 0;)
        received.append(chunk, static_cast<size_t>(n));
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
    const struct
    {
        bool (*wait)(void*) noexcept;
        bool closed;
        int error;
    } cases[] = {{drain, false, 0},
                 {nullptr, false, EAGAIN},
                 {giveUp, false, ECANCELED},
                 {nullptr, true, EPIPE}};
    for (const auto& c : cases)
    {
        int ends[2];
        ASSERT_EQ(pipe2(ends, O_NONBLOCK), 0);
        readEnd = c.closed ? (close(ends[0]), -1) : ends[0];
        received.clear();
        // Together well past what a pipe holds; the empty piece is passed over.
        std::string first(300000, 'a'), second(200000, 'b');
        iovec pieces[] = {
            {first.data(), first.size()}, {nullptr, 0}, {second.data(), second.size()}};
        EXPECT_EQ(safeCalls::writeAll(ends[1], pieces, 3, {c.wait, nullptr}), c.error);
        if (c.error == 0)
        {
            drain(nullptr);
            EXPECT_EQ(received, first + second);
        }
        close(ends[1]);
        close(readEnd);
    }
}
