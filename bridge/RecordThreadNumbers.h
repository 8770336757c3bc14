// Each thread's number in the last few recordings it called into, kept per thread in the process
// object (see Process.h) without thread-local storage. A host thread often serves several
// instances in turn (Ardour runs a mono plug-in twice on a stereo track); one cached number would
// be renumbered at every switch, and the replay would see a new thread each time.
#pragma once

#include "logger/ThreadSlots.h"

#include <atomic>
#include <cstdint>

struct RecordThreadNumber
{
    uint32_t recording; // 0: free
    uint32_t number;
};

struct RecordThreadNumbers
{
    static constexpr uint32_t kSlots = 8;
    std::atomic<int> owner{0};
    RecordThreadNumber slots[kSlots]{};
    uint32_t next = 0;
    void clear() noexcept
    {
        for (RecordThreadNumber& slot : slots)
            slot = {};
        next = 0;
    }
};
