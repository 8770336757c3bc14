// Encodes a live call into the recording ring on the calling thread: the arguments, the data
// the call carries (read only as far as the callee reads it), the time in ticks and the thread's
// MXCSR. Nothing here locks or allocates; a record that finds no room is dropped and counted, or
// waits for it when the ring's owner says so (RecordRing::setWhenFull).
#pragma once

#include "record/RecordRing.h"
#include "vst/OpCodeTable.h"
#include "vst/VstInterface.h"

namespace recordCapture
{
struct Thread
{
    uint32_t number;
    uint8_t role;
};

void opcodeCall(RecordRing& ring, Thread thread, VstFunctionIndex function, int32_t opcode,
                int32_t index, VstIntPtr value, void* ptr, float opt) noexcept;
void opcodeReturn(RecordRing& ring, Thread thread, VstFunctionIndex function, int32_t opcode,
                  VstIntPtr value, void* ptr, VstIntPtr result) noexcept;
// More than a recording keeps of either: such a block's call and return are dropped (a gap).
bool tooManyChannels(int inputs, int outputs) noexcept;
// Buffers of float or double samples; sampleBytes tells which. False when the block has more
// channels than a recording keeps: then it is dropped (a gap), never cut.
bool processCall(RecordRing& ring, Thread thread, VstFunctionIndex function, void* const* inputs,
                 void* const* outputs, int32_t frames, int numInputs, int numOutputs,
                 size_t sampleBytes) noexcept;
// The outputs go in whole; the writer hashes them unless the recording keeps them in full.
void processReturn(RecordRing& ring, Thread thread, VstFunctionIndex function, void* const* outputs,
                   int32_t frames, int numOutputs, size_t sampleBytes) noexcept;
void parameterCall(RecordRing& ring, Thread thread, VstFunctionIndex function, int32_t index,
                   float value) noexcept;
void parameterReturn(RecordRing& ring, Thread thread, VstFunctionIndex function, int32_t index,
                     float result) noexcept;

// A kPlugin record's values (RecordLayout.h, PluginField).
struct PluginValues
{
    int32_t flags;
    int32_t numPrograms;
    int32_t numParams;
    int32_t numInputs;
    int32_t numOutputs;
    int32_t initialDelay;
    uint32_t functions;
};
// False when it was dropped; else position is where the ring placed it (the records' order).
bool plugin(RecordRing& ring, Thread thread, const PluginValues& values,
            uint64_t& position) noexcept;
} // namespace recordCapture
