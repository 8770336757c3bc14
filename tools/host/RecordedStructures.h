// A recorded call's structures rebuilt in memory of their own, laid out as the live call had
// them: the replay hands them to the plug-in, the printout to the logger's decoders. Every copy
// is at least as large as what a reader of its type reads, whatever a damaged file holds.
#pragma once

#include "record/RecordReader.h"
#include "vst/VstInterface.h"

#include <cstdint>
#include <deque>
#include <vector>

namespace host
{
struct CallArguments
{
    VstIntPtr value = 0;
    void* ptr = nullptr;
    VstIntPtr result = 0;
};

class RecordedStructures
{
public:
    // The call's value and ptr with what it carried in. A ptr the callee fills points at room
    // of its own: a zeroed scratch block, or the cells that get calls store their pointers in.
    CallArguments callArguments(const recordFormat::Record& call);
    // What the caller found after the call: value, ptr and result pointing at what it carried out.
    CallArguments returnArguments(const recordFormat::Record& call,
                                  const recordFormat::Record& ret);

    // The pointers the callee stored in the cells of callArguments (effGetChunk's chunk first).
    void* storedChunk() const { return cells[1]; }

    static constexpr size_t kScratchBytes = 1 << 16;

private:
    void* copy(const recordFormat::Bytes& bytes, size_t atLeast = 0);
    void* copyAt(const std::vector<recordFormat::Bytes>& bytes, size_t index, size_t atLeast = 0);
    void* events(const recordFormat::Record& call);

    std::deque<std::vector<uint8_t>> blocks;
    void* cells[2] = {nullptr, nullptr};
};
} // namespace host
