#include "tools/oplexa/StatsText.h"

#include <cstdio>

namespace oplexa
{
namespace
{
// The bytes of the UTF-8 sequence that starts at a byte from 0x80 up, or 0 where none does.
size_t utf8Length(const std::string& text, size_t at)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    const size_t length = lead >= 0xF5   ? 0
                          : lead >= 0xF0 ? 4
                          : lead >= 0xE0 ? 3
                          : lead >= 0xC2 ? 2
                                         : 0;
    if (length == 0 || at + length > text.size())
        return 0;
    for (size_t i = 1; i < length; ++i)
        if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80)
            return 0;
    return length;
}

// Each ASCII character as `ascii` writes it, each UTF-8 sequence as it is, any other byte as bad.
template <typename Ascii> std::string escaped(const std::string& text, Ascii ascii, const char* bad)
{
    std::string out;
    for (size_t at = 0; at < text.size(); ++at)
    {
        if (static_cast<unsigned char>(text[at]) < 0x80)
            ascii(out, text[at]);
        else if (const size_t length = utf8Length(text, at))
        {
            out.append(text, at, length);
            at += length - 1;
        }
        else
            out += bad;
    }
    return out;
}
} // namespace

std::string jsonText(const std::string& text)
{
    const auto ascii = [](std::string& out, char c)
    {
        if (c == '"' || c == '\\')
            out += {'\\', c};
        else if (static_cast<unsigned char>(c) < 0x20)
        {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        }
        else
            out += c;
    };
    return "\"" + escaped(text, ascii, "\\ufffd") + "\"";
}

std::string xmlText(const std::string& text)
{
    const auto ascii = [](std::string& out, char c)
    {
        if (c == '&')
            out += "&amp;";
        else if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else if (c == '"')
            out += "&quot;";
        else
            out += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
    };
    return escaped(text, ascii, "\xEF\xBF\xBD");
}
} // namespace oplexa
