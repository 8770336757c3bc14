// FNV-1a, so that reports can name large data (chunks, audio) by a short stable hash.
#pragma once

#include <cstddef>
#include <cstdint>

namespace host
{
constexpr uint64_t kFnvOffset = 14695981039346656037ull;

inline uint64_t fnv1a(const void* data, size_t size, uint64_t hash = kFnvOffset)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i)
    {
        hash ^= bytes[i];
        hash *= 1099511628211ull;
    }
    return hash;
}
} // namespace host
