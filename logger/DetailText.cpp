#include "logger/DetailText.h"

namespace detail
{
// A value without a name in its table shows as a number after unnamed.
void appendNamed(LineBuffer& line, const char* name, long value, const char* unnamed) noexcept
{
    if (name != nullptr)
        line.appendText(name);
    else
        line.append("%s%ld", unnamed, value);
}

void appendHex(LineBuffer& line, const unsigned char* bytes, size_t shown, size_t given) noexcept
{
    for (size_t i = 0; i < shown; ++i)
        line.append(" %02X", bytes[i]);
    if (given > shown)
        line.append(" …");
}

void appendFlags(LineBuffer& line, int32_t flags, const FlagName* names, size_t count) noexcept
{
    if (flags == 0)
    {
        line.append("0");
        return;
    }
    auto rest = static_cast<uint32_t>(flags);
    const char* separator = "";
    for (size_t i = 0; i < count; ++i)
        if ((rest & static_cast<uint32_t>(names[i].bit)) != 0)
        {
            line.append("%s%s", separator, names[i].name);
            rest &= ~static_cast<uint32_t>(names[i].bit);
            separator = "|";
        }
    if (rest != 0)
        line.append("%s0x%X", separator, rest);
}
} // namespace detail
