// GCC 12 takes the room the checked encoder found for the time info (an address handed over as
// a number) for a region of no size, and warns inside the inlined encoder, in a header: only a
// pragma above the includes reaches it. The encoder checks that room itself.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Warray-bounds"
#pragma GCC diagnostic ignored "-Wstringop-overflow"
#endif

#include "record/RecordCapture.h"

#include "record/RecordFormat.h"
#include "record/RecordLayout.h"
#include "record/TickClock.h"
#include "vst/OpCodeTable.h"
#include "vst/VstStructures.h"

#include <cstring>
#include <initializer_list>
#include <xmmintrin.h>

namespace recordCapture
{
namespace
{
using recordFormat::CallField;
using recordFormat::fieldCount;
using recordFormat::place;
using recordFormat::PluginField;
using recordFormat::ProcessCallData;
using recordFormat::ReturnField;

constexpr size_t kMaxText = 4096;
constexpr int32_t kMaxEvents = 4096;
constexpr int32_t kMaxSysex = 1 << 20;
// A speaker for each channel a reader takes.
constexpr int32_t kMaxSpeakers = static_cast<int32_t>(recordFormat::kMaxChannels);
// Room for the fields around the data: array heads, numbers, the float and the times.
constexpr size_t kFieldBytes = 128;
// A plug-in record: its head, kind, thread and seven numbers of at most five bytes.
constexpr size_t kPluginBytes = 48;

// The data pass runs twice: once to measure, once to encode.
struct Measure
{
    size_t bytes = 0;
    size_t items = 0;
    void span(const void*, size_t size) noexcept
    {
        bytes += size + 9;
        ++items;
    }
    void number(uint64_t) noexcept
    {
        bytes += 9;
        ++items;
    }
};

struct Encode
{
    recordFormat::Writer& writer;
    void span(const void* data, size_t size) noexcept { writer.bytes(data, size); }
    void number(uint64_t value) noexcept { writer.uint(value); }
};

template <typename Sink> void text(Sink& sink, const void* ptr) noexcept
{
    if (ptr != nullptr)
        sink.span(ptr, strnlen(static_cast<const char*>(ptr), kMaxText));
}

template <typename Sink> void arrangement(Sink& sink, const void* ptr) noexcept
{
    if (ptr == nullptr)
    {
        sink.span(nullptr, 0);
        return;
    }
    int32_t channels = static_cast<const VstSpeakerArrangement*>(ptr)->numChannels;
    channels = channels < 0 ? 0 : channels > kMaxSpeakers ? kMaxSpeakers : channels;
    sink.span(ptr, 8 + sizeof(VstSpeakerProperties) * static_cast<size_t>(channels));
}

// The list's count as it was (negative ones too), then each event's own bytes; a SysEx event is
// followed by its dump.
template <typename Sink> void events(Sink& sink, const void* ptr) noexcept
{
    if (ptr == nullptr)
        return;
    const auto* list = static_cast<const VstEvents*>(ptr);
    sink.number(static_cast<uint32_t>(list->numEvents));
    const int32_t count = list->numEvents < 0 ? 0 : list->numEvents;
    for (int32_t i = 0; i < count && i < kMaxEvents; ++i)
    {
        const VstEvent* event = list->events[i];
        if (event == nullptr)
        {
            sink.span(nullptr, 0);
            continue;
        }
        if (event->type != kVstEventSysEx)
        {
            sink.span(event, sizeof(VstEvent));
            continue;
        }
        const auto* sysex = reinterpret_cast<const VstMidiSysexEvent*>(event);
        sink.span(sysex, sizeof(VstMidiSysexEvent));
        const int32_t dumpBytes = sysex->dumpBytes;
        sink.span(sysex->dump, sysex->dump == nullptr || dumpBytes <= 0 || dumpBytes > kMaxSysex
                                   ? 0
                                   : static_cast<size_t>(dumpBytes));
    }
}

template <typename Sink>
void callData(Sink& sink, VstFunctionIndex function, int32_t opcode, VstIntPtr value,
              void* ptr) noexcept
{
    const VstOpCodeInfo* info = opCodeInfo(function, opcode);
    if (info == nullptr)
        return;
    if (info->ptrKind == ptrString && !info->ptrIsReturned)
        text(sink, ptr);
    switch (carriedIn(function, opcode))
    {
    case Carried::events:
        events(sink, ptr);
        break;
    case Carried::chunkIn:
        if (ptr != nullptr && value > 0 && value < (VstIntPtr{1} << 30))
            sink.span(ptr, static_cast<size_t>(value));
        break;
    case Carried::arrangements:
        arrangement(sink, reinterpret_cast<const void*>(value));
        arrangement(sink, ptr);
        break;
    default:
        break;
    }
}

// Through a pointer to the callee's pointer, as the get calls hand their structures out.
const void* storedAt(const void* at) noexcept
{
    return at != nullptr ? *static_cast<const void* const*>(at) : nullptr;
}

template <typename Sink>
void returnData(Sink& sink, VstFunctionIndex function, int32_t opcode, VstIntPtr value, void* ptr,
                VstIntPtr result) noexcept
{
    const VstOpCodeInfo* info = opCodeInfo(function, opcode);
    if (info == nullptr)
        return;
    if (info->ptrKind == ptrString && info->ptrIsReturned)
        text(sink, ptr);
    switch (carriedOut(function, opcode))
    {
    case Carried::timeInfo:
        if (result != 0)
            sink.span(reinterpret_cast<const void*>(result), sizeof(VstTimeInfo));
        break;
    case Carried::directoryText:
        if (result != 0)
            text(sink, reinterpret_cast<const void*>(result));
        break;
    case Carried::chunkOut:
        if (const void* chunk = storedAt(ptr);
            chunk != nullptr && result > 0 && result < (VstIntPtr{1} << 30))
            sink.span(chunk, static_cast<size_t>(result));
        break;
    case Carried::pinProperties:
        if (ptr != nullptr)
            sink.span(ptr, sizeof(VstPinProperties));
        break;
    case Carried::parameterProperties:
        if (ptr != nullptr)
            sink.span(ptr, sizeof(VstParameterProperties));
        break;
    case Carried::arrangementsAt:
        if (value != 0 && ptr != nullptr)
        {
            arrangement(sink, storedAt(reinterpret_cast<const void*>(value)));
            arrangement(sink, storedAt(ptr));
        }
        break;
    case Carried::rectangle:
        if (const void* rectangle = storedAt(ptr))
            sink.span(rectangle, sizeof(ERect));
        break;
    default:
        break;
    }
}

// A negative count is none; one past what a reader takes never gets here (tooManyChannels).
int clampChannels(int channels) noexcept
{
    return channels < 0 ? 0 : channels;
}

// Reserves, lets fill write the record and publishes the bytes it says it used (0 when the
// data did not fit). The bound covers the fixed fields, so they go in unchecked.
template <typename Fill> void put(RecordRing& ring, size_t bound, Fill&& fill) noexcept
{
    RecordRing::Slot slot;
    if (!ring.reserve(bound, slot))
        return;
    recordFormat::UncheckedWriter fields(slot.payload, slot.room);
    ring.publish(slot, fill(fields));
}

// Data whose size was measured before may have changed since (a text, an event list): checked.
template <typename Data>
size_t checkedData(recordFormat::UncheckedWriter& fields, Data&& data) noexcept
{
    recordFormat::Writer writer(fields.end(), static_cast<size_t>(fields.limit() - fields.end()));
    data(writer);
    return writer.ok() ? fields.size() + writer.size() : 0;
}

// The fields every call and return record starts with.
void recordHead(recordFormat::UncheckedWriter& w, recordFormat::RecordKind kind, size_t fields,
                Thread thread, VstFunctionIndex function, int32_t opcode) noexcept
{
    w.array(fields);
    w.uint(kind);
    w.uint(thread.number);
    w.uint(thread.role);
    w.uint(static_cast<uint64_t>(function));
    w.integer(opcode);
}

void callHead(recordFormat::UncheckedWriter& w, Thread thread, VstFunctionIndex function,
              int32_t opcode, int32_t index, VstIntPtr value, const void* ptr, float opt) noexcept
{
    recordHead(w, recordFormat::kCall, fieldCount<CallField>, thread, function, opcode);
    w.integer(index);
    w.integer(value);
    w.single(opt);
    w.uint64(reinterpret_cast<uintptr_t>(ptr));
    w.uint(_mm_getcsr());
}

// Room for a time read later. A process record reads it after copying its buffers: rdtsc's
// microcode then runs while their stores drain instead of adding its own 7 ns. A call's time is
// still taken before the call; a return's end then includes copying its outputs.
uint8_t* timeToCome(recordFormat::UncheckedWriter& w) noexcept
{
    uint8_t* at = w.end();
    w.uint64(0);
    return at;
}

void timeNow(uint8_t* at) noexcept
{
    recordFormat::UncheckedWriter(at, 9).uint64(tickClock::now());
}

} // namespace

bool tooManyChannels(int inputs, int outputs) noexcept
{
    return inputs > recordFormat::kMaxChannels || outputs > recordFormat::kMaxChannels;
}

void opcodeCall(RecordRing& ring, Thread thread, VstFunctionIndex function, int32_t opcode,
                int32_t index, VstIntPtr value, void* ptr, float opt) noexcept
{
    Measure measure;
    callData(measure, function, opcode, value, ptr);
    put(ring, kFieldBytes + measure.bytes,
        [&](recordFormat::UncheckedWriter& w)
        {
            callHead(w, thread, function, opcode, index, value, ptr, opt);
            w.uint64(tickClock::now());
            w.array(measure.items);
            return checkedData(w,
                               [&](recordFormat::Writer& data)
                               {
                                   Encode encode{data};
                                   callData(encode, function, opcode, value, ptr);
                               });
        });
}

void opcodeReturn(RecordRing& ring, Thread thread, VstFunctionIndex function, int32_t opcode,
                  VstIntPtr value, void* ptr, VstIntPtr result) noexcept
{
    Measure measure;
    returnData(measure, function, opcode, value, ptr, result);
    put(ring, kFieldBytes + measure.bytes,
        [&](recordFormat::UncheckedWriter& w)
        {
            recordHead(w, recordFormat::kReturn, fieldCount<ReturnField>, thread, function, opcode);
            w.integer(result);
            w.uint64(tickClock::now());
            w.array(measure.items);
            return checkedData(w,
                               [&](recordFormat::Writer& data)
                               {
                                   Encode encode{data};
                                   returnData(encode, function, opcode, value, ptr, result);
                               });
        });
}

bool processCall(RecordRing& ring, Thread thread, VstFunctionIndex function, void* const* inputs,
                 void* const* outputs, int32_t frames, int numInputs, int numOutputs,
                 size_t sampleBytes) noexcept
{
    if (tooManyChannels(numInputs, numOutputs))
    {
        ring.drop();
        return false;
    }
    numInputs = inputs == nullptr ? 0 : clampChannels(numInputs);
    numOutputs = outputs == nullptr ? 0 : clampChannels(numOutputs);
    const size_t channelBytes = frames > 0 ? static_cast<size_t>(frames) * sampleBytes : 0;
    // process() adds to its outputs: what they held goes in too.
    const int outputsIn = function == fnProcess ? numOutputs : 0;
    // A mask of the first 64 channels; past them every output is recorded as its own buffer.
    uint64_t inPlace = 0;
    for (int c = 0; c < numInputs && c < numOutputs && c < 64; ++c)
        if (inputs[c] == outputs[c])
            inPlace |= uint64_t{1} << c;
    const size_t bound =
        kFieldBytes + static_cast<size_t>(numInputs + outputsIn) * (channelBytes + 9);
    put(ring, bound,
        [&](recordFormat::UncheckedWriter& w)
        {
            // The block in the places of opcode, index and value (kProcessOutputs, kProcessInputs,
            // kProcessFrames), then the data of ProcessCallData.
            callHead(w, thread, function, numOutputs, numInputs, frames, inputs, 0.0f);
            uint8_t* begin = timeToCome(w);
            w.array(place(ProcessCallData::channels) + static_cast<size_t>(numInputs + outputsIn));
            w.uint(inPlace);
            w.uint(static_cast<uint64_t>(numOutputs));
            w.uint64(reinterpret_cast<uintptr_t>(outputs));
            for (int c = 0; c < numInputs; ++c)
                w.bytes(inputs[c], inputs[c] != nullptr ? channelBytes : 0);
            for (int c = 0; c < outputsIn; ++c)
                w.bytes(outputs[c], outputs[c] != nullptr ? channelBytes : 0);
            timeNow(begin);
            return w.size();
        });
    return true;
}

void processReturn(RecordRing& ring, Thread thread, VstFunctionIndex function, void* const* outputs,
                   int32_t frames, int numOutputs, size_t sampleBytes) noexcept
{
    if (tooManyChannels(0, numOutputs))
    {
        ring.drop();
        return;
    }
    numOutputs = outputs == nullptr ? 0 : clampChannels(numOutputs);
    const size_t channelBytes = frames > 0 ? static_cast<size_t>(frames) * sampleBytes : 0;
    put(ring, kFieldBytes + static_cast<size_t>(numOutputs) * (channelBytes + 9),
        [&](recordFormat::UncheckedWriter& w)
        {
            // The output count in the opcode's place (kProcessReturnOutputs).
            recordHead(w, recordFormat::kReturn, fieldCount<ReturnField>, thread, function,
                       numOutputs);
            w.integer(0);
            uint8_t* end = timeToCome(w);
            w.array(static_cast<size_t>(numOutputs));
            for (int c = 0; c < numOutputs; ++c)
                w.bytes(outputs[c], outputs[c] != nullptr ? channelBytes : 0);
            timeNow(end);
            return w.size();
        });
}

void parameterCall(RecordRing& ring, Thread thread, VstFunctionIndex function, int32_t index,
                   float value) noexcept
{
    put(ring, kFieldBytes,
        [&](recordFormat::UncheckedWriter& w)
        {
            callHead(w, thread, function, 0, index, 0, nullptr, value);
            w.uint64(tickClock::now());
            w.array(0);
            return w.size();
        });
}

void parameterReturn(RecordRing& ring, Thread thread, VstFunctionIndex function, int32_t index,
                     float result) noexcept
{
    put(ring, kFieldBytes,
        [&](recordFormat::UncheckedWriter& w)
        {
            // The index in the opcode's place (kParameterReturnIndex).
            recordHead(w, recordFormat::kReturn, fieldCount<ReturnField>, thread, function, index);
            w.single(result);
            w.uint64(tickClock::now());
            w.array(0);
            return w.size();
        });
}

bool plugin(RecordRing& ring, Thread thread, const PluginValues& values,
            uint64_t& position) noexcept
{
    RecordRing::Slot slot;
    if (!ring.reserve(kPluginBytes, slot))
        return false;
    recordFormat::UncheckedWriter w(slot.payload, slot.room);
    w.array(fieldCount<PluginField>);
    w.uint(recordFormat::kPlugin);
    w.uint(thread.number);
    for (const int32_t field : {values.flags, values.numPrograms, values.numParams,
                                values.numInputs, values.numOutputs, values.initialDelay})
        w.integer(field);
    w.uint(values.functions);
    ring.publish(slot, w.size());
    position = slot.position;
    return true;
}
} // namespace recordCapture
