// Per-thread values without thread-local storage. The host loads the module with dlopen: its
// initial-exec TLS would take room in the process's small static TLS area that glibc never gives
// back at dlclose (a scanner's load cycles left none for the plug-ins' own libraries), and its
// dynamic TLS is allocated on each thread's first use, on the call path. Instead each thread owns
// an entry of a fixed table, found by its kernel thread id, claimed on the thread's first use and
// taken over once that thread has ended.
#pragma once

#include <atomic>

namespace threadSlots
{
// The kernel's id of the calling thread as glibc's thread descriptor keeps it (x86_64; what
// pthread_getcpuclockid reads), one load from the thread pointer.
inline int descriptorId() noexcept
{
    int id;
    asm("movl %%fs:0x2d0, %0" : "=r"(id));
    return id;
}
// Set at load time when descriptorId() is the thread's id; until then, and without it, the id
// comes from a system call.
extern bool descriptorHoldsId;
int idBySystemCall() noexcept;

// The calling thread's kernel id: unique among running threads, and a new thread's differs from
// that of an ended one whose descriptor, and so thread pointer, it reuses.
inline int currentThread() noexcept
{
    if (__builtin_expect(!descriptorHoldsId, 0))
        return idBySystemCall();
    return descriptorId();
}

// False once the thread with that id has ended.
bool threadRuns(int id) noexcept;

// A fixed table of per-thread entries. Entry has `std::atomic<int> owner` (the owner's id, 0
// while free) and `void clear() noexcept`, which resets its values for a new owner. An entry is
// looked for at the id's place and the few after it; it never becomes free again, only taken
// over, so a search stops at the first free one.
template <typename Entry, int kEntries> class Table
{
    static_assert((kEntries & (kEntries - 1)) == 0, "a power of two");

public:
    static constexpr int kProbes = 32;

    // The thread's entry, or null when it has none.
    Entry* find(int id) noexcept
    {
        for (int probe = 0; probe < kProbes; ++probe)
        {
            Entry& entry = entries[(id + probe) & (kEntries - 1)];
            const int owner = entry.owner.load(std::memory_order_relaxed);
            if (owner == id)
                return &entry;
            if (owner == 0)
                return nullptr;
        }
        return nullptr;
    }

    // The calling thread's entry, claimed on its first use; null while every entry it may take
    // belongs to a running thread.
    Entry* mine() noexcept
    {
        const int id = currentThread();
        Entry& home = entries[id & (kEntries - 1)];
        if (__builtin_expect(home.owner.load(std::memory_order_relaxed) == id, 1))
            return &home;
        return findOrClaim(id);
    }

    Entry* begin() noexcept { return entries; }
    Entry* end() noexcept { return entries + kEntries; }

private:
    // Out of the callers' way: a thread's entry is nearly always at its id's place.
    __attribute__((noinline, cold)) Entry* findOrClaim(int id) noexcept
    {
        Entry* entry = find(id);
        return entry != nullptr ? entry : claim(id);
    }

    // The first free entry, or one whose thread has ended, at the id's place or after it.
    Entry* claim(int id) noexcept
    {
        for (int probe = 0; probe < kProbes; ++probe)
        {
            Entry& entry = entries[(id + probe) & (kEntries - 1)];
            int owner = entry.owner.load(std::memory_order_relaxed);
            if (owner == id)
                return &entry;
            if ((owner == 0 || !threadRuns(owner)) &&
                entry.owner.compare_exchange_strong(owner, id))
            {
                entry.clear();
                return &entry;
            }
        }
        return nullptr;
    }

    Entry entries[kEntries];
};
} // namespace threadSlots
