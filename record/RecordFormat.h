// The recording file, shared by the module that writes it and oplexa-host that reads it: a CBOR
// sequence (RFC 8742). The first item is the header array, and every item after it a record
// [payload byte string, XXH32 of the payload] whose payload is a call, a return, the plug-in's
// record, a gap marker (records dropped) or the end marker; record/RecordLayout.h names the
// fields of each.
// Times are time-stamp counter ticks (record/TickClock.h); the header's clock fields turn them
// into monotonic nanoseconds. What each call's data holds is listed in README.md, "Record and
// replay".
#pragma once

#include <cstddef>
#include <cstdint>

namespace recordFormat
{
constexpr const char kMagic[] = "OPLEXA-REC";
// 3: process calls carry the outputs pointer, effEditGetRect returns its rectangle.
// 4: the plug-in's record (kPlugin) at the start and after each change; hashed process returns
// count their outputs' NaN, infinite and denormal samples.
constexpr uint64_t kVersion = 4;
constexpr const char kFileExtension[] = ".oplexarec";

enum RecordKind : uint8_t
{
    kCall = 0,
    kReturn = 1,
    kGap = 2,
    kEnd = 3,
    kPlugin = 4, // takes no record number
};

enum ThreadRole : uint8_t
{
    kRoleMain = 0,  // the thread that made the first call
    kRoleAudio = 1, // the thread that processes audio
    kRoleOther = 2,
};

const char* roleName(uint64_t role) noexcept;

// What a reader takes from a recording, whatever the file says (README, "Record and replay"):
// past these a record is damaged. A block's samples are its frames times its inputs and outputs.
constexpr int64_t kMaxChannels = 1024;
constexpr int64_t kMaxFrames = 65536;
constexpr uint64_t kMaxBlockSamples = uint64_t{1} << 21;
constexpr uint64_t kMaxEvents = 65536;
// An event list's data: its count, then each event and a dump after each SysEx event.
constexpr uint64_t kMaxDataItems = 1 + 2 * kMaxEvents;
// The samples of all blocks together, which bound a replay's time: this many per byte of the
// file (a block's outputs are recorded as 8-byte hashes) and this many more.
constexpr uint64_t kSamplesPerFileByte = 256;
constexpr uint64_t kFreeSamples = uint64_t{1} << 28;
// Recorded threads that make host calls: each is a replay thread.
constexpr size_t kMaxThreads = 64;

// The MXCSR a replay sets for a recorded one: its rounding, flush-to-zero and denormals-are-zero,
// every exception masked and no flag raised (reserved bits set would fault).
uint32_t replayMxcsr(uint32_t recorded) noexcept;

// CBOR items into a fixed span, never past its end: ok() is false once one did not fit. Inline,
// for the calling thread: the heads are a few stores, where libcbor's encoders were most of a
// recorded call's cost. The writer thread and the reader use libcbor. Unchecked, it skips the
// room checks: only for items whose sizes were counted into the span beforehand and cannot change.
template <bool kChecked> class BasicWriter
{
public:
    BasicWriter(uint8_t* at, size_t size) noexcept : start(at), cursor(at), bound(at + size) {}

    void uint(uint64_t value) noexcept { head(0, value); }
    // Always nine bytes: no branches for numbers that are seldom small (times, pointers).
    void uint64(uint64_t value) noexcept
    {
        if (uint8_t* at = room(9))
        {
            at[0] = 0x1B;
            value = __builtin_bswap64(value);
            __builtin_memcpy(at + 1, &value, 8);
        }
    }
    void integer(int64_t value) noexcept
    {
        if (value >= 0)
            head(0, static_cast<uint64_t>(value));
        else
            head(1, static_cast<uint64_t>(-(value + 1)));
    }
    void single(float value) noexcept
    {
        uint32_t bits = 0;
        __builtin_memcpy(&bits, &value, sizeof bits);
        if (uint8_t* at = room(5))
        {
            at[0] = 0xFA;
            store(at + 1, bits, 4);
        }
    }
    void boolean(bool value) noexcept
    {
        if (uint8_t* at = room(1))
            at[0] = value ? 0xF5 : 0xF4;
    }
    void array(size_t count) noexcept { head(4, count); }
    void bytes(const void* data, size_t size) noexcept { content(2, data, size); }
    // A byte string's head alone, for bytes that follow from elsewhere.
    void bytesHead(size_t size) noexcept { head(2, size); }
    void text(const char* data, size_t size) noexcept { content(3, data, size); }

    size_t size() const noexcept { return static_cast<size_t>(cursor - start); }
    bool ok() const noexcept { return good; }
    uint8_t* end() const noexcept { return cursor; }
    uint8_t* limit() const noexcept { return bound; }

private:
    static void store(uint8_t* at, uint64_t value, size_t length) noexcept
    {
        for (size_t i = 0; i < length; ++i)
            at[i] = static_cast<uint8_t>(value >> (8 * (length - 1 - i)));
    }
    void head(uint8_t major, uint64_t value) noexcept
    {
        const auto type = static_cast<uint8_t>(major << 5);
        const size_t length = value < 24            ? 0
                              : value <= 0xFF       ? 1
                              : value <= 0xFFFF     ? 2
                              : value <= 0xFFFFFFFF ? 4
                                                    : 8;
        uint8_t* at = room(1 + length);
        if (at == nullptr)
            return;
        if (length == 0)
        {
            at[0] = static_cast<uint8_t>(type | value);
            return;
        }
        at[0] = static_cast<uint8_t>(type | (length == 1   ? 24
                                             : length == 2 ? 25
                                             : length == 4 ? 26
                                                           : 27));
        store(at + 1, value, length);
    }
    void content(uint8_t major, const void* data, size_t size) noexcept
    {
        head(major, size);
        if (uint8_t* at = room(size); at != nullptr && size > 0)
            __builtin_memcpy(at, data, size);
    }
    uint8_t* room(size_t size) noexcept
    {
        if (kChecked && (!good || static_cast<size_t>(bound - cursor) < size))
        {
            good = false;
            return nullptr;
        }
        uint8_t* at = cursor;
        cursor += size;
        return at;
    }

    uint8_t* start;
    uint8_t* cursor;
    uint8_t* bound;
    bool good = true;
};
using Writer = BasicWriter<true>;
using UncheckedWriter = BasicWriter<false>;

// The payloads of the gap and end markers; 0 when out is too small.
size_t gapPayload(uint64_t dropped, uint8_t* out, size_t outSize) noexcept;
size_t endPayload(uint8_t* out, size_t outSize) noexcept;

// The most a record adds around its payload: array, byte string head and checksum.
constexpr size_t kWrapOverhead = 16;
// The framing of a record, [payload, XXH32(payload)]: what goes before the payload, and after it.
// Each returns the bytes written to out, 0 when out is too small. Async-signal-safe.
size_t wrapHead(size_t size, uint8_t* out, size_t outSize) noexcept;
size_t wrapTail(const uint8_t* payload, size_t size, uint8_t* out, size_t outSize) noexcept;
// The whole record, its payload copied between them.
size_t wrapRecord(const uint8_t* payload, size_t size, uint8_t* out, size_t outSize) noexcept;
uint32_t checksum(const uint8_t* payload, size_t size) noexcept;
// One output channel's samples that were NaN or infinite, and denormal (subnormal, not zero).
struct OutputCounts
{
    uint32_t nonFinite = 0;
    uint32_t denormal = 0;
};
// Of whole samples only; doubles for processDoubleReplacing's.
OutputCounts countSamples(const void* samples, size_t bytes, bool doubles) noexcept;

// XXH3 64 of one output channel.
uint64_t outputHash(const void* samples, size_t bytes) noexcept;
bool isProcessFunction(uint64_t function) noexcept;
// The calling thread copies a process return's outputs; the writer thread hashes and counts them
// here. Writes the record to out with each channel replaced by its hash and the counts added
// (RecordLayout.h, kProcessReturnCounts); 0 when payload is no process return with outputs in
// full, or out is too small. counts, when given, gets each channel's (room for kMaxChannels),
// and channels their number.
size_t hashOutputs(const uint8_t* payload, size_t size, uint8_t* out, size_t outSize,
                   OutputCounts* counts = nullptr, size_t* channels = nullptr) noexcept;
// Counts alone, for outputs recorded in full: the number of channels, or -1 when payload is no
// process return with outputs in full.
long countOutputs(const uint8_t* payload, size_t size, OutputCounts* counts) noexcept;
// A call or return payload's first fields, for the writer thread's numbering; false for the
// other kinds of record and for what is no such payload.
struct RecordLead
{
    uint64_t kind = 0;
    uint64_t thread = 0;
    uint64_t function = 0;
    uint64_t value = 0; // a call's value: a process call's frames
    uint64_t ticks = 0; // a call's begin, a return's end
};
bool readLead(const uint8_t* payload, size_t size, RecordLead& lead) noexcept;
// Room for a hashed record: its fields, a hash and the counts for each of the most channels.
constexpr size_t kMaxHashedReturnBytes = 128 + (9 + 3 + 2 * 5) * kMaxChannels;

// Editor opcodes: replay skips them, as it has no window to give.
bool isEditorOpcode(int32_t opcode) noexcept;
} // namespace recordFormat
