#include "bridge/PathText.h"

namespace
{
constexpr char kHex[] = "0123456789abcdef";

// The length of the valid UTF-8 sequence at s (Unicode's table of well-formed byte sequences:
// no overlong forms, no surrogates, nothing past U+10FFFF), or 0 when there is none.
size_t sequenceLength(const unsigned char* s, size_t left) noexcept
{
    const unsigned char c = s[0];
    if (c < 0x80)
        return 1;
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF; // the second byte's range
    if (c >= 0xC2 && c <= 0xDF)
        length = 2;
    else if (c >= 0xE0 && c <= 0xEF)
    {
        length = 3;
        low = c == 0xE0 ? 0xA0 : 0x80;
        high = c == 0xED ? 0x9F : 0xBF;
    }
    else if (c >= 0xF0 && c <= 0xF4)
    {
        length = 4;
        low = c == 0xF0 ? 0x90 : 0x80;
        high = c == 0xF4 ? 0x8F : 0xBF;
    }
    if (length == 0 || left < length || s[1] < low || s[1] > high)
        return 0;
    for (size_t i = 2; i < length; ++i)
        if (s[i] < 0x80 || s[i] > 0xBF)
            return 0;
    return length;
}

// Each valid sequence goes to keep, each byte of an invalid one to escapeByte.
template <typename Keep, typename EscapeByte>
std::string rewrite(const std::string& bytes, Keep keep, EscapeByte escapeByte)
{
    std::string text;
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
    for (size_t at = 0; at < bytes.size();)
    {
        const size_t length = sequenceLength(s + at, bytes.size() - at);
        if (length == 0)
            escapeByte(text, s[at++]);
        else
        {
            keep(text, bytes.data() + at, length);
            at += length;
        }
    }
    return text;
}

void appendHexByte(std::string& text, unsigned char byte)
{
    text += "\\x";
    text += kHex[byte >> 4];
    text += kHex[byte & 0xF];
}

int hexDigit(char c) noexcept
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}
} // namespace

namespace pathText
{
bool isValidUtf8(const std::string& bytes) noexcept
{
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
    for (size_t at = 0; at < bytes.size();)
    {
        const size_t length = sequenceLength(s + at, bytes.size() - at);
        if (length == 0)
            return false;
        at += length;
    }
    return true;
}

juce::String printable(const std::string& bytes)
{
    const auto keep = [](std::string& text, const char* piece, size_t length)
    { text.append(piece, length); };
    return juce::String::fromUTF8(rewrite(bytes, keep, appendHexByte).c_str());
}

std::string escape(const std::string& bytes)
{
    const auto keep = [](std::string& text, const char* piece, size_t length)
    { text += *piece == '\\' ? std::string("\\\\") : std::string(piece, length); };
    return rewrite(bytes, keep, appendHexByte);
}

bool unescape(const std::string& text, std::string& bytes)
{
    std::string result;
    for (size_t at = 0; at < text.size(); ++at)
    {
        if (text[at] != '\\')
        {
            result += text[at];
            continue;
        }
        if (at + 1 < text.size() && text[at + 1] == '\\')
        {
            result += '\\';
            ++at;
            continue;
        }
        if (at + 3 >= text.size())
            return false;
        const int high = text[at + 1] == 'x' ? hexDigit(text[at + 2]) : -1;
        const int low = high >= 0 ? hexDigit(text[at + 3]) : -1;
        if (low < 0 || high + low == 0) // a path holds no zero byte
            return false;
        result += static_cast<char>(high * 16 + low);
        at += 3;
    }
    bytes = result;
    return true;
}

std::string folderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return {};
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string fileNameOf(const std::string& path)
{
    return path.substr(path.rfind('/') + 1);
}
} // namespace pathText
