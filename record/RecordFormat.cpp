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

size_t hashOutputs(const uint8_t* payload, size_t size, uint8_t* out, size_t outSize) noexcept
{
    const uint8_t* at = payload;
    const uint8_t* end = payload + size;
    uint8_t major = 0;
    uint64_t value = 0;
    // A return's numbers first, up to its data.
    uint64_t fields[place(ReturnField::data)] = {};
    if (!readHead(at, end, major, value) || major != 4 || value != fieldCount<ReturnField>)
        return 0;
    for (uint64_t& field : fields)
        if (!readHead(at, end, major, field) || major > 1)
            return 0;
    if (fields[place(ReturnField::kind)] != kReturn ||
        !isProcessFunction(fields[place(ReturnField::function)]) ||
        !readHead(at, end, major, value) || major != 4 ||
        value > static_cast<uint64_t>(kMaxChannels))
        return 0;
    const auto prefix = static_cast<size_t>(at - payload);
    if (outSize < prefix)
        return 0;
    std::memcpy(out, payload, prefix);
    Writer writer(out + prefix, outSize - prefix);
    for (uint64_t c = 0; c < value; ++c)
    {
        uint64_t bytes = 0;
        if (!readHead(at, end, major, bytes) || major != 2 || bytes > static_cast<size_t>(end - at))
            return 0;
        writer.uint(outputHash(at, bytes));
        at += bytes;
    }
    return at == end && writer.ok() ? prefix + writer.size() : 0;
}

bool isEditorOpcode(int32_t opcode) noexcept
{
    return isEditorCall(opcode);
}
} // namespace recordFormat
