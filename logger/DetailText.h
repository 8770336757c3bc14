// Pieces of the detail lines that the structure decoders share.
#pragma once

#include "logger/LineBuffer.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace detail
{
// Where detail lines go: the log, or oplexa-host's printout of a recording.
class DetailLines
{
public:
    virtual void write(const char* message) noexcept = 0;

protected:
    ~DetailLines() = default;
};

// Bytes in upper-case hex, each after a blank, then " …" when more than shown were given.
void appendHex(LineBuffer& line, const unsigned char* bytes, size_t shown, size_t given) noexcept;

// A value without a name in its table shows as a number after unnamed.
void appendNamed(LineBuffer& line, const char* name, long value, const char* unnamed = "") noexcept;

// A structure copied at its own size, wherever it lies.
template <typename Structure> Structure copyOf(const void* ptr) noexcept
{
    Structure copy;
    std::memcpy(&copy, ptr, sizeof(copy));
    return copy;
}

// Names of the set bits joined by '|', the bits without a name in hex; "0" for no bit.
struct FlagName
{
    int32_t bit;
    const char* name;
};
void appendFlags(LineBuffer& line, int32_t flags, const FlagName* names, size_t count) noexcept;

// The name at index, or null outside the table.
template <size_t N> const char* nameAt(const char* const (&names)[N], long index) noexcept
{
    return index >= 0 && static_cast<size_t>(index) < N ? names[index] : nullptr;
}

// At most 64 items of a list are shown; the rest is counted.
constexpr long kMaxShown = 64;
} // namespace detail
