// A fixed 1024-byte text buffer filled piece by piece. Nothing is ever written past it:
// a piece that does not fit is cut, and the buffer remembers that it was.
//
// The typed appenders write exactly what the printf conversion named beside them writes, without
// the printf machinery: a logged line is built on the call path, where that was most of its cost.
#pragma once

#include <cstdarg>
#include <cstddef>

class LineBuffer
{
public:
    static constexpr size_t kCapacity = 1024;

    LineBuffer() noexcept { text[0] = '\0'; }

    void append(const char* format, ...) noexcept __attribute__((format(printf, 2, 3)));
    // "%s"; reads s only as far as fits, so a text without terminator is never overread.
    void appendText(const char* s) noexcept;
    // Like appendText, but control characters come out as \n, \r or \xNN, so that a text from a
    // plug-in or host can neither split its line nor forge another one.
    void appendEscapedText(const char* s) noexcept;
    // A string literal: its length is known, so the copy is a few moves.
    template <size_t N> void appendLiteral(const char (&s)[N]) noexcept
    {
        if (char* at = reserve(N - 1))
        {
            __builtin_memcpy(at, s, N - 1);
            commit(N - 1);
        }
        else
        {
            appendBytes(s, N - 1);
        }
    }
    void appendChar(char c) noexcept
    {
        if (used >= kTextLimit)
        {
            cut = true;
            return;
        }
        text[used++] = c;
        text[used] = '\0';
    }
    void appendDecimal(long value) noexcept;      // "%ld"
    void appendHex(unsigned long value) noexcept; // "%lX"
    void appendPointer(const void* p) noexcept;   // "%p"
    void appendFixed(double value) noexcept;      // "%f"
    // "%02d" and "%03d" for the time of day (0 <= value < 1000).
    void appendDigits(int value, int width) noexcept;

    const char* c_str() const noexcept { return text; }
    size_t length() const noexcept { return used; }

    // The line's prefix (time, thread, module) ends here and its message begins.
    void markMessageStart() noexcept { messageStart = used; }
    const char* message() const noexcept { return text + messageStart; }

    // Ends the text in one newline, replacing its tail with a cut marker if anything was
    // lost, so that a cut line is still one whole line. Returns the length with the newline.
    size_t finishLine() noexcept;

    static constexpr const char* kCutMarker = "[...]";

private:
    // Room for the text itself: one byte each stays free for the newline and the terminator.
    static constexpr size_t kTextLimit = kCapacity - 2;

    void appendBytes(const char* bytes, size_t n) noexcept;
    // Where n more bytes go when they fit whole, else null (the caller then cuts).
    char* reserve(size_t n) noexcept
    {
        return used < kTextLimit && n <= kTextLimit - used ? text + used : nullptr;
    }
    void commit(size_t n) noexcept
    {
        used += n;
        text[used] = '\0';
    }

    char text[kCapacity];
    size_t used = 0;
    size_t messageStart = 0;
    bool cut = false;
};
