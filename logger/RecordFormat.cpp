#include "logger/RecordFormat.h"

#include <cbor/encoding.h>
#include <cstring>

#define XXH_INLINE_ALL
#include <xxhash.h>

namespace recfmt
{
const char* roleName(uint64_t role) noexcept
{
    static const char* const kNames[] = {"main", "audio", "other"};
    return role < 3 ? kNames[role] : "unknown";
}

void Writer::advance(size_t written) noexcept
{
    if (written == 0)
        ok_ = false;
    at_ += written;
}

uint8_t* Writer::room(size_t size) noexcept
{
    if (!ok_ || static_cast<size_t>(end_ - at_) < size)
    {
        ok_ = false;
        return nullptr;
    }
    uint8_t* at = at_;
    at_ += size;
    return at;
}

void Writer::uint(uint64_t value) noexcept
{
    if (ok_)
        advance(cbor_encode_uint(value, at_, static_cast<size_t>(end_ - at_)));
}

void Writer::integer(int64_t value) noexcept
{
    if (value >= 0)
        uint(static_cast<uint64_t>(value));
    else if (ok_)
        advance(cbor_encode_negint(static_cast<uint64_t>(-(value + 1)), at_,
                                   static_cast<size_t>(end_ - at_)));
}

void Writer::single(float value) noexcept
{
    if (ok_)
        advance(cbor_encode_single(value, at_, static_cast<size_t>(end_ - at_)));
}

void Writer::boolean(bool value) noexcept
{
    if (ok_)
        advance(cbor_encode_bool(value, at_, static_cast<size_t>(end_ - at_)));
}

void Writer::array(size_t count) noexcept
{
    if (ok_)
        advance(cbor_encode_array_start(count, at_, static_cast<size_t>(end_ - at_)));
}

void Writer::bytes(const void* data, size_t size) noexcept
{
    if (ok_)
        advance(cbor_encode_bytestring_start(size, at_, static_cast<size_t>(end_ - at_)));
    if (uint8_t* at = room(size); at != nullptr && size > 0)
        std::memcpy(at, data, size);
}

void Writer::text(const char* data, size_t size) noexcept
{
    if (ok_)
        advance(cbor_encode_string_start(size, at_, static_cast<size_t>(end_ - at_)));
    if (uint8_t* at = room(size); at != nullptr && size > 0)
        std::memcpy(at, data, size);
}

uint32_t checksum(const uint8_t* payload, size_t size) noexcept
{
    return XXH32(payload, size, 0);
}

uint64_t outputHash(const void* samples, size_t bytes) noexcept
{
    return XXH3_64bits(samples, bytes);
}

size_t wrapRecord(const uint8_t* payload, size_t size, uint8_t* out, size_t outSize) noexcept
{
    Writer writer(out, outSize);
    writer.array(2);
    writer.bytes(payload, size);
    writer.uint(checksum(payload, size));
    return writer.ok() ? writer.size() : 0;
}

bool isEditorOpcode(int32_t opcode) noexcept
{
    return (opcode >= 13 && opcode <= 21) || opcode == 59 || opcode == 60;
}
} // namespace recfmt
