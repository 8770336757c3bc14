#include "record/RecordFormat.h"

#include "record/RecordLayout.h"
#include "vst/OpCodeTable.h"

#include <cstring>

#define XXH_INLINE_ALL
#include <xxhash.h>

namespace recordFormat
{
const char* roleName(uint64_t role) noexcept
{
    static const char* const kNames[] = {"main", "audio", "other"};
    return role < 3 ? kNames[role] : "unknown";
}

uint32_t replayMxcsr(uint32_t recorded) noexcept
{
    constexpr uint32_t kKept = 0x6000 | 0x8000 | 0x0040; // rounding, flush-to-zero, DAZ
    constexpr uint32_t kMasks = 0x1F80;
    return (recorded & kKept) | kMasks;
}

uint32_t checksum(const uint8_t* payload, size_t size) noexcept
{
    return XXH32(payload, size, 0);
}

uint64_t outputHash(const void* samples, size_t bytes) noexcept
{
    return XXH3_64bits(samples, bytes);
}

size_t wrapHead(size_t size, uint8_t* out, size_t outSize) noexcept
{
    Writer writer(out, outSize);
    writer.array(2);
    writer.bytesHead(size);
    return writer.ok() ? writer.size() : 0;
}

size_t wrapTail(const uint8_t* payload, size_t size, uint8_t* out, size_t outSize) noexcept
{
    Writer writer(out, outSize);
    writer.uint(checksum(payload, size));
    return writer.ok() ? writer.size() : 0;
}

size_t wrapRecord(const uint8_t* payload, size_t size, uint8_t* out, size_t outSize) noexcept
{
    const size_t head = wrapHead(size, out, outSize);
    if (head == 0 || outSize - head < size)
        return 0;
    std::memcpy(out + head, payload, size);
    const size_t tail = wrapTail(payload, size, out + head + size, outSize - head - size);
    return tail == 0 ? 0 : head + size + tail;
}

size_t gapPayload(uint64_t dropped, uint8_t* out, size_t outSize) noexcept
{
    Writer writer(out, outSize);
    writer.array(fieldCount<GapField>);
    writer.uint(kGap);
    writer.uint(dropped);
    return writer.ok() ? writer.size() : 0;
}

size_t endPayload(uint8_t* out, size_t outSize) noexcept
{
    Writer writer(out, outSize);
    writer.array(fieldCount<EndField>);
    writer.uint(kEnd);
    return writer.ok() ? writer.size() : 0;
}

bool isProcessFunction(uint64_t function) noexcept
{
    return function == 2 || function == 3 || function == 6;
}

namespace
{
bool readHead(const uint8_t*& at, const uint8_t* end, uint8_t& major, uint64_t& value) noexcept
{
    if (at >= end)
        return false;
    major = static_cast<uint8_t>(*at >> 5);
    const uint8_t info = *at++ & 31;
    if (info < 24)
    {
        value = info;
        return true;
    }
    const size_t length = info <= 27 ? size_t{1} << (info - 24) : 9;
    if (length > 8 || static_cast<size_t>(end - at) < length)
        return false;
    value = 0;
    for (size_t i = 0; i < length; ++i)
        value = value << 8 | *at++;
    return true;
}
} // namespace

namespace
{
// A process return as the calling thread wrote it, its outputs in full: the fields up to its data
// array's head (prefix bytes, the array's own head headBytes of them), then each channel's bytes.
struct ProcessReturn
{
    size_t headBytes = 0;
    size_t prefix = 0;
    uint64_t channels = 0;
    bool doubles = false;
};

bool openProcessReturn(const uint8_t* payload, size_t size, ProcessReturn& ret) noexcept
{
    const uint8_t* at = payload;
    const uint8_t* end = payload + size;
    uint8_t major = 0;
    uint64_t value = 0;
    // A return's numbers first, up to its data.
    uint64_t fields[place(ReturnField::data)] = {};
    if (!readHead(at, end, major, value) || major != 4 || value != fieldCount<ReturnField>)
        return false;
    ret.headBytes = static_cast<size_t>(at - payload);
    for (uint64_t& field : fields)
        if (!readHead(at, end, major, field) || major > 1)
            return false;
    if (fields[place(ReturnField::kind)] != kReturn ||
        !isProcessFunction(fields[place(ReturnField::function)]) ||
        !readHead(at, end, major, ret.channels) || major != 4 ||
        ret.channels > static_cast<uint64_t>(kMaxChannels))
        return false;
    ret.doubles = fields[place(ReturnField::function)] == fnProcessDoubleReplacing;
    ret.prefix = static_cast<size_t>(at - payload);
    return true;
}

// Each channel's bytes in turn, then whether the payload ended with the last.
template <typename Visit>
bool eachChannel(const uint8_t* payload, size_t size, const ProcessReturn& ret,
                 Visit&& visit) noexcept
{
    const uint8_t* at = payload + ret.prefix;
    const uint8_t* end = payload + size;
    for (uint64_t c = 0; c < ret.channels; ++c)
    {
        uint8_t major = 0;
        uint64_t bytes = 0;
        if (!readHead(at, end, major, bytes) || major != 2 || bytes > static_cast<size_t>(end - at))
            return false;
        visit(c, at, static_cast<size_t>(bytes));
        at += bytes;
    }
    return at == end;
}

template <typename Bits>
OutputCounts countBits(const uint8_t* samples, size_t count, Bits exponent, Bits mantissa) noexcept
{
    uint32_t nonFinite = 0;
    uint32_t denormal = 0;
    for (size_t i = 0; i < count; ++i)
    {
        Bits bits = 0;
        std::memcpy(&bits, samples + i * sizeof bits, sizeof bits);
        const Bits raised = bits & exponent;
        nonFinite += raised == exponent;
        denormal += raised == 0 && (bits & mantissa) != 0;
    }
    return {nonFinite, denormal};
}
} // namespace

OutputCounts countSamples(const void* samples, size_t bytes, bool doubles) noexcept
{
    const auto* at = static_cast<const uint8_t*>(samples);
    if (doubles)
        return countBits<uint64_t>(at, bytes / 8, 0x7FF0000000000000, 0x000FFFFFFFFFFFFF);
    return countBits<uint32_t>(at, bytes / 4, 0x7F800000, 0x007FFFFF);
}

size_t hashOutputs(const uint8_t* payload, size_t size, uint8_t* out, size_t outSize,
                   OutputCounts* counts, size_t* channels) noexcept
{
    ProcessReturn ret;
    if (!openProcessReturn(payload, size, ret) || outSize < ret.prefix)
        return 0;
    // One field more: the counts after the data.
    Writer writer(out, outSize);
    writer.array(kProcessReturnCounts + 1);
    if (!writer.ok() || writer.size() != ret.headBytes)
        return 0;
    std::memcpy(out + ret.headBytes, payload + ret.headBytes, ret.prefix - ret.headBytes);
    Writer hashes(out + ret.prefix, outSize - ret.prefix);
    OutputCounts own[kMaxChannels];
    OutputCounts* counted = counts != nullptr ? counts : own;
    size_t marked = 0;
    if (!eachChannel(payload, size, ret,
                     [&](uint64_t c, const uint8_t* samples, size_t bytes)
                     {
                         hashes.uint(outputHash(samples, bytes));
                         counted[c] = countSamples(samples, bytes, ret.doubles);
                         marked += counted[c].nonFinite > 0 || counted[c].denormal > 0;
                     }))
        return 0;
    hashes.array(3 * marked);
    for (uint64_t c = 0; c < ret.channels; ++c)
        if (counted[c].nonFinite > 0 || counted[c].denormal > 0)
        {
            hashes.uint(c);
            hashes.uint(counted[c].nonFinite);
            hashes.uint(counted[c].denormal);
        }
    if (channels != nullptr)
        *channels = static_cast<size_t>(ret.channels);
    return hashes.ok() ? ret.prefix + hashes.size() : 0;
}

bool readLead(const uint8_t* payload, size_t size, RecordLead& lead) noexcept
{
    const uint8_t* at = payload;
    const uint8_t* end = payload + size;
    uint8_t major = 0;
    uint64_t count = 0;
    // A call's fields up to its begin ticks, or a return's up to its end ticks: scalars all.
    uint64_t fields[place(CallField::beginTicks) + 1] = {};
    if (!readHead(at, end, major, count) || major != 4 || !readHead(at, end, major, fields[0]) ||
        major != 0 || (fields[0] != kCall && fields[0] != kReturn))
        return false;
    const size_t last =
        fields[0] == kCall ? place(CallField::beginTicks) : place(ReturnField::endTicks);
    for (size_t i = 1; i <= last; ++i)
        if (!readHead(at, end, major, fields[i]) || (major != 0 && major != 1 && major != 7))
            return false;
    lead = {fields[0], fields[place(CallField::thread)], fields[place(CallField::function)],
            fields[0] == kCall ? fields[place(CallField::value)] : 0, fields[last]};
    return true;
}

long countOutputs(const uint8_t* payload, size_t size, OutputCounts* counts) noexcept
{
    ProcessReturn ret;
    if (!openProcessReturn(payload, size, ret) ||
        !eachChannel(payload, size, ret,
                     [&](uint64_t c, const uint8_t* samples, size_t bytes)
                     { counts[c] = countSamples(samples, bytes, ret.doubles); }))
        return -1;
    return static_cast<long>(ret.channels);
}

bool isEditorOpcode(int32_t opcode) noexcept
{
    return isEditorCall(opcode);
}
} // namespace recordFormat
