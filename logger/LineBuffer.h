// A fixed 1024-byte text buffer filled piece by piece. Nothing is ever written past it:
// a piece that does not fit is cut, and the buffer remembers that it was.
#pragma once

#include <cstdarg>
#include <cstddef>

class LineBuffer
{
public:
    static constexpr size_t kCapacity = 1024;

    LineBuffer() noexcept { text[0] = '\0'; }

    void append(const char* format, ...) noexcept __attribute__((format(printf, 2, 3)));
    void appendText(const char* s) noexcept;

    const char* c_str() const noexcept { return text; }
    size_t length() const noexcept { return used; }
    bool wasCut() const noexcept { return cut; }

    // Ends the text in one newline, replacing its tail with a cut marker if anything was
    // lost, so that a cut line is still one whole line. Returns the length with the newline.
    size_t finishLine() noexcept;

    static constexpr const char* kCutMarker = "[...]";

private:
    char text[kCapacity];
    size_t used = 0;
    bool cut = false;
};
