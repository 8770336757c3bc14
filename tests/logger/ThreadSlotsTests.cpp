// The per-thread table: running threads each hold an entry of their own, and an ended thread's
// entry goes, cleared, to a new thread, also to one that reuses the ended thread's stack.
#include "logger/ThreadSlots.h"

#include <gtest/gtest.h>

#include <sys/syscall.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace
{
struct Value
{
    std::atomic<int> owner{0};
    int value = 0;
    void clear() noexcept { value = 0; }
};
threadSlots::Table<Value, 8> table;

// What a thread found: whether it has an entry, and its value before it set its own id there.
struct Found
{
    bool entry = false;
    int value = -1;
};

Found useEntry()
{
    EXPECT_EQ(threadSlots::currentThread(), static_cast<int>(syscall(SYS_gettid)));
    Value* mine = table.mine();
    if (mine == nullptr)
        return {};
    const Found found{true, mine->value};
    mine->value = threadSlots::currentThread();
    return found;
}
} // namespace

TEST(ThreadSlots, AnEndedThreadsEntryGoesClearedToANewOneWhenRunningThreadsHoldTheRest)
{
    ASSERT_TRUE(threadSlots::descriptorHoldsId) << "glibc keeps the thread id elsewhere";
    std::atomic<int> holding{0};
    std::atomic<bool> release{false};
    std::vector<std::thread> holders;
    for (int i = 0; i < 8; ++i)
        holders.emplace_back(
            [&]
            {
                EXPECT_TRUE(useEntry().entry);
                ++holding;
                while (!release.load())
                    std::this_thread::yield();
            });
    while (holding.load() < 8)
        std::this_thread::yield();
    Found late;
    std::thread([&] { late = useEntry(); }).join();
    EXPECT_FALSE(late.entry) << "the table is full of running threads";

    release = true;
    for (std::thread& holder : holders)
        holder.join();
    // glibc gives these the stacks of ended ones, and so their thread pointers.
    for (int i = 0; i < 2; ++i)
    {
        Found next;
        std::thread([&] { next = useEntry(); }).join();
        EXPECT_TRUE(next.entry && next.value == 0)
            << "entry " << next.entry << ", value " << next.value;
    }
}
