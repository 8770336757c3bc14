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
    size_t at = cbor_encode_array_start(2, out, outSize);
    const size_t head = at == 0 ? 0 : cbor_encode_bytestring_start(size, out + at, outSize - at);
    if (head == 0 || outSize - at - head < size)
        return 0;
    at += head;
    std::memcpy(out + at, payload, size);
    at += size;
    const size_t sum = cbor_encode_uint(checksum(payload, size), out + at, outSize - at);
    return sum == 0 ? 0 : at + sum;
}

bool isEditorOpcode(int32_t opcode) noexcept
{
    return (opcode >= 13 && opcode <= 21) || opcode == 59 || opcode == 60;
}
} // namespace recfmt
