#include "logger/LineBuffer.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace
{
size_t hexLength(unsigned long value) noexcept
{
    return value == 0 ? 1 : static_cast<size_t>(67 - __builtin_clzl(value)) / 4;
}

// Writes the last length hexadecimal digits of value, ending at end.
void hexDigits(unsigned long value, char* end, size_t length, const char* digits) noexcept
{
    for (char* at = end; length > 0; --length)
    {
        *--at = digits[value & 0xF];
        value >>= 4;
    }
}

constexpr const char* kUpperHex = "0123456789ABCDEF";
constexpr const char* kLowerHex = "0123456789abcdef";
} // namespace

// Like vsnprintf at the running length: a piece that does not fit is written as far as it
// fits, and any piece offered to a full buffer marks it cut.
void LineBuffer::appendBytes(const char* bytes, size_t n) noexcept
{
    if (used >= kTextLimit)
    {
        cut = true;
        return;
    }
    const size_t room = kTextLimit - used;
    if (n > room)
    {
        n = room;
        cut = true;
    }
    // A plain loop: pieces are a few bytes, where the inline "rep movs" that GCC makes of a
    // bounded memcpy costs more than the copy.
    char* out = text + used;
    for (const char* end = bytes + n; bytes != end;)
        *out++ = *bytes++;
    used += n;
    text[used] = '\0';
}

void LineBuffer::append(const char* format, ...) noexcept
{
    if (used >= kTextLimit)
    {
        cut = true;
        return;
    }
    va_list args;
    va_start(args, format);
    const int wanted = std::vsnprintf(text + used, kTextLimit + 1 - used, format, args);
    va_end(args);
    if (wanted < 0)
    {
        text[used] = '\0';
        cut = true;
        return;
    }
    if (static_cast<size_t>(wanted) > kTextLimit - used)
    {
        used = kTextLimit;
        cut = true;
    }
    else
    {
        used += static_cast<size_t>(wanted);
    }
}

void LineBuffer::appendText(const char* s) noexcept
{
    if (used >= kTextLimit)
    {
        cut = true;
        return;
    }
    // Bounded read: one byte more than fits tells whether the text was cut. Labels and names
    // are short: a plain loop beats strnlen and memcpy calls.
    char* out = text + used;
    char* const end = text + kTextLimit;
    while (out != end && *s != '\0')
        *out++ = *s++;
    if (out == end && *s != '\0')
        cut = true;
    used = static_cast<size_t>(out - text);
    *out = '\0';
}

void LineBuffer::appendEscapedText(const char* s) noexcept
{
    // Every byte of s becomes at least one byte of the line, so s is read no further than fits.
    if (used >= kTextLimit)
        cut = true;
    for (; *s != '\0'; ++s)
    {
        if (used >= kTextLimit)
        {
            cut = true;
            break;
        }
        const auto c = static_cast<unsigned char>(*s);
        if (c >= 0x20 && c != 0x7F)
        {
            text[used++] = *s;
            continue;
        }
        char escape[4] = {'\\', 'x', kLowerHex[c >> 4], kLowerHex[c & 0xF]};
        if (c == '\n' || c == '\r')
            escape[1] = c == '\n' ? 'n' : 'r';
        appendBytes(escape, c == '\n' || c == '\r' ? 2 : 4);
    }
    text[used] = '\0';
}

// The number pieces go straight into the line when they fit, and through a scratch buffer,
// to be cut there, when they do not.
void LineBuffer::appendDecimal(long value) noexcept
{
    constexpr size_t kMost = 20; // "-9223372036854775808"
    if (char* at = reserve(kMost))
    {
        commit(static_cast<size_t>(std::to_chars(at, at + kMost, value).ptr - at));
        return;
    }
    char digits[kMost];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    appendBytes(digits, static_cast<size_t>(result.ptr - digits));
}

void LineBuffer::appendHex(unsigned long value) noexcept
{
    const size_t length = hexLength(value);
    char digits[16];
    char* at = reserve(length);
    hexDigits(value, (at != nullptr ? at : digits) + length, length, kUpperHex);
    if (at != nullptr)
        commit(length);
    else
        appendBytes(digits, length);
}

void LineBuffer::appendPointer(const void* p) noexcept
{
    if (p == nullptr)
    {
        appendBytes("(nil)", 5); // glibc's "%p" of a null pointer
        return;
    }
    const auto value = reinterpret_cast<uintptr_t>(p);
    const size_t length = 2 + hexLength(value);
    char digits[18];
    char* at = reserve(length);
    char* start = at != nullptr ? at : digits;
    start[0] = '0';
    start[1] = 'x';
    hexDigits(value, start + length, length - 2, kLowerHex);
    if (at != nullptr)
        commit(length);
    else
        appendBytes(digits, length);
}

void LineBuffer::appendFixed(double value) noexcept
{
    // Fixed notation with six decimals is "%f" digit for digit, also for the largest double,
    // infinities and NaNs.
    constexpr size_t kFloatMost = 48; // any float, converted: 39 digits, sign, point, six
    if (char* at = reserve(kFloatMost))
    {
        const auto result = std::to_chars(at, at + kFloatMost, value, std::chars_format::fixed, 6);
        if (result.ec == std::errc())
        {
            commit(static_cast<size_t>(result.ptr - at));
            return;
        }
    }
    char digits[330];
    const auto result =
        std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, 6);
    if (result.ec != std::errc())
    {
        append("%f", value);
        return;
    }
    appendBytes(digits, static_cast<size_t>(result.ptr - digits));
}

void LineBuffer::appendDigits(int value, int width) noexcept
{
    char digits[16];
    const auto result = std::to_chars(digits + width, digits + sizeof digits, value);
    const auto length = result.ptr - (digits + width);
    char* start = digits + width;
    for (auto pad = width - length; pad > 0; --pad)
        *--start = '0';
    appendBytes(start, static_cast<size_t>(result.ptr - start));
}

size_t LineBuffer::finishLine() noexcept
{
    if (cut)
    {
        const size_t markerLength = std::strlen(kCutMarker);
        const size_t at = used > kTextLimit - markerLength ? kTextLimit - markerLength : used;
        std::memcpy(text + at, kCutMarker, markerLength);
        used = at + markerLength;
    }
    text[used++] = '\n';
    text[used] = '\0';
    return used;
}
