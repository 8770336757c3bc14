#include "logger/LineBuffer.h"

#include <cstdio>
#include <cstring>

namespace
{
// Room for the text itself: one byte each stays free for the newline and the terminator.
constexpr size_t kTextLimit = LineBuffer::kCapacity - 2;
} // namespace

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
    // Bounded read: a text without its terminator is never read past what fits.
    append("%.*s", static_cast<int>(kTextLimit + 1 - (used < kTextLimit ? used : kTextLimit)), s);
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
