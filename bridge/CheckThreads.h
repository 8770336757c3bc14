// What live checking keeps besides the checker: each thread's state in the sessions it called
// into, kept per thread in the process object (see Process.h) without thread-local storage, and
// the session's own numbering of records and threads, which follows a recording's.
#pragma once

#include "rules/RuleChecker.h"

#include <atomic>
#include <cstdint>

struct CheckThread
{
    uint32_t check; // the session's checkingsStarted number; 0: free
    rules::ThreadState state;
};

// A thread's states in the last few checked sessions it called into; like RecordThreadNumbers,
// since a host thread often serves several instances in turn.
struct CheckThreads
{
    static constexpr uint32_t kSlots = 8;
    std::atomic<int> owner{0};
    CheckThread slots[kSlots]{};
    uint32_t next = 0;
    uint32_t last = 0; // the slot used last, looked at first
    void clear() noexcept
    {
        for (CheckThread& slot : slots)
            slot = {};
        next = 0;
        last = 0;
    }
};

// One session's numbering: a record number per call and return record, as a recording of the
// session numbers them, and its threads numbered and given roles as a recording does.
struct CheckNumbering
{
    rules::RuleChecker* checker = nullptr;
    uint32_t check = 0;
    // Each thread's count of records, by its number; [0] for those past kCountedThreads and for
    // the crowd, together. A line each: only its thread writes it.
    static constexpr uint32_t kCountedThreads = 64;
    struct alignas(64) Count
    {
        std::atomic<uint64_t> records{0};
    };
    Count threadRecords[kCountedThreads + 1];
    std::atomic<uint32_t> nextThread{0};
    std::atomic<uint32_t> firstThread{0};
    std::atomic<uint32_t> audioThread{0};
    // effClose returned: calls that come now are late.
    std::atomic<bool> closed{false};
    // The record's values as the checker last heard of them, packed as liveCheck::packFacts
    // packs them.
    std::atomic<uint64_t> facts[3]{};
    // The state of the threads that find no place of their own (more threads than the table).
    rules::ThreadState crowd;
};
