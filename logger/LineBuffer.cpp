#include "logger/LineBuffer.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace
{
// Room for the text itself: one byte each stays free for the newline and the terminator.
constexpr size_t kTextLimit = LineBuffer::kCapacity - 2;

// Writes value in hexadecimal into the end of buffer; returns where the digits start.
char* hexDigits(unsigned long value, char* end, const char* digits) noexcept
{
    char* at = end;
    do
    {
        *--at = digits[value & 0xF];
        value >>= 4;
    } while (value != 0);
    return at;
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
    std::memcpy(text + used, bytes, n);
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
    // Bounded read: one byte more than fits tells whether the text was cut.
    const size_t room = used < kTextLimit ? kTextLimit - used : 0;
    appendBytes(s, strnlen(s, room + 1));
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
            return;
        }
        const auto c = static_cast<unsigned char>(*s);
        if (c >= 0x20 && c != 0x7F)
        {
            appendBytes(s, 1);
            continue;
        }
        char escape[4] = {'\\', 'x', kLowerHex[c >> 4], kLowerHex[c & 0xF]};
        if (c == '\n' || c == '\r')
        {
            escape[1] = c == '\n' ? 'n' : 'r';
            appendBytes(escape, 2);
        }
        else
        {
            appendBytes(escape, 4);
        }
    }
}

void LineBuffer::appendChar(char c) noexcept
{
    appendBytes(&c, 1);
}

void LineBuffer::appendDecimal(long value) noexcept
{
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    appendBytes(digits, static_cast<size_t>(result.ptr - digits));
}

void LineBuffer::appendHex(unsigned long value) noexcept
{
    char digits[16];
    const char* start = hexDigits(value, digits + sizeof digits, kUpperHex);
    appendBytes(start, static_cast<size_t>(digits + sizeof digits - start));
}

void LineBuffer::appendPointer(const void* p) noexcept
{
    if (p == nullptr)
    {
        appendBytes("(nil)", 5); // glibc's "%p" of a null pointer
        return;
    }
    char digits[18];
    char* start = hexDigits(reinterpret_cast<uintptr_t>(p), digits + sizeof digits, kLowerHex);
    *--start = 'x';
    *--start = '0';
    appendBytes(start, static_cast<size_t>(digits + sizeof digits - start));
}

void LineBuffer::appendFixed(double value) noexcept
{
    // Fixed notation with six decimals is "%f" digit for digit, also for the largest double,
    // infinities and NaNs.
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
