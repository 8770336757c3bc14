#include "bridge/NameTag.h"

#include <cstring>

void tagEffectName(char* name) noexcept
{
    static constexpr char kTag[] = " [Oplexa]";
    constexpr size_t kNameBytes = 32;
    constexpr size_t kLongestName = kNameBytes - sizeof kTag; // leaves the tag and the zero
    const size_t length = strnlen(name, kLongestName);
    std::memcpy(name + length, kTag, sizeof kTag);
}
