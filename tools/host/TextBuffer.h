// A zeroed buffer for the string opcodes. Real plug-ins write far past the nominal 8, 24 or 64
// characters, so it is generous, and its last byte always stays a terminator.
#pragma once

#include <string>
#include <vector>

namespace host
{
class TextBuffer
{
public:
    static constexpr size_t kSize = 64 * 1024;

    TextBuffer() : bytes(kSize, '\0') {}

    // Zeroes the buffer and hands it to the plug-in.
    char* clear();
    // The text the plug-in wrote, quoted and escaped for a line.
    std::string quotedText();

private:
    std::vector<char> bytes;
};
} // namespace host
