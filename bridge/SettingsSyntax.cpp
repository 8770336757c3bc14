#include "bridge/SettingsSyntax.h"

#include <cctype>
#include <vector>

namespace
{
// JUCE parses nested elements recursively; the settings file is four levels deep.
constexpr size_t kMaxDepth = 32;

class PlainXmlReader
{
public:
    explicit PlainXmlReader(std::string_view text) : rest(text) {}

    bool read()
    {
        skipSpace();
        if (startsWith("<?xml"))
        {
            const auto end = rest.find("?>");
            if (end == std::string_view::npos)
                return false;
            rest.remove_prefix(end + 2);
        }
        bool sawRoot = false;
        while (!rest.empty())
        {
            if (startsWith("<!--"))
            {
                if (!skipComment())
                    return false;
            }
            else if (startsWith("</"))
            {
                if (!endTag())
                    return false;
            }
            else if (startsWith("<"))
            {
                if (open.empty() && sawRoot)
                    return false;
                sawRoot = true;
                if (!startTag())
                    return false;
            }
            else if (open.empty())
            {
                // Outside the root only blanks may stand.
                skipSpace();
                if (!rest.empty() && rest.front() != '<')
                    return false;
            }
            else if (!text())
            {
                return false;
            }
        }
        return sawRoot && open.empty();
    }

private:
    bool startsWith(std::string_view prefix) const
    {
        return rest.substr(0, prefix.size()) == prefix;
    }

    void skipSpace()
    {
        while (!rest.empty() && std::isspace(static_cast<unsigned char>(rest.front())))
            rest.remove_prefix(1);
    }

    bool skipComment()
    {
        const auto end = rest.find("-->", 4);
        if (end == std::string_view::npos)
            return false;
        rest.remove_prefix(end + 3);
        return true;
    }

    static bool isNameStart(char c)
    {
        return std::isalpha(static_cast<unsigned char>(c)) || c == '_' || c == ':' ||
               static_cast<unsigned char>(c) >= 0x80;
    }

    static bool isNameChar(char c)
    {
        return isNameStart(c) || std::isdigit(static_cast<unsigned char>(c)) || c == '-' ||
               c == '.';
    }

    bool name(std::string_view& out)
    {
        if (rest.empty() || !isNameStart(rest.front()))
            return false;
        size_t length = 1;
        while (length < rest.size() && isNameChar(rest[length]))
            ++length;
        out = rest.substr(0, length);
        rest.remove_prefix(length);
        return true;
    }

    // "&amp;" and its kin, "&#65;" or "&#x41;"; anything else after '&' is refused.
    bool reference()
    {
        for (std::string_view named : {"&amp;", "&quot;", "&apos;", "&lt;", "&gt;"})
            if (startsWith(named))
            {
                rest.remove_prefix(named.size());
                return true;
            }
        const bool hex = startsWith("&#x") || startsWith("&#X");
        if (!hex && !startsWith("&#"))
            return false;
        rest.remove_prefix(hex ? 3 : 2);
        size_t digits = 0;
        while (digits < rest.size() &&
               (hex ? std::isxdigit(static_cast<unsigned char>(rest[digits]))
                    : std::isdigit(static_cast<unsigned char>(rest[digits]))))
            ++digits;
        if (digits == 0 || digits > 8 || digits >= rest.size() || rest[digits] != ';')
            return false;
        rest.remove_prefix(digits + 1);
        return true;
    }

    bool text()
    {
        while (!rest.empty() && rest.front() != '<')
        {
            if (rest.front() == '&')
            {
                if (!reference())
                    return false;
            }
            else
            {
                rest.remove_prefix(1);
            }
        }
        return true;
    }

    bool attributeValue()
    {
        if (rest.empty() || (rest.front() != '"' && rest.front() != '\''))
            return false;
        const char quote = rest.front();
        rest.remove_prefix(1);
        while (!rest.empty() && rest.front() != quote)
        {
            if (rest.front() == '<')
                return false;
            if (rest.front() == '&')
            {
                if (!reference())
                    return false;
            }
            else
            {
                rest.remove_prefix(1);
            }
        }
        if (rest.empty())
            return false;
        rest.remove_prefix(1);
        return true;
    }

    bool startTag()
    {
        rest.remove_prefix(1);
        std::string_view tag;
        if (!name(tag))
            return false;
        for (;;)
        {
            const size_t before = rest.size();
            skipSpace();
            if (startsWith("/>"))
            {
                rest.remove_prefix(2);
                return true;
            }
            if (startsWith(">"))
            {
                rest.remove_prefix(1);
                open.push_back(tag);
                return open.size() <= kMaxDepth;
            }
            std::string_view attribute;
            if (rest.size() == before || !name(attribute))
                return false;
            skipSpace();
            if (!startsWith("="))
                return false;
            rest.remove_prefix(1);
            skipSpace();
            if (!attributeValue())
                return false;
        }
    }

    bool endTag()
    {
        rest.remove_prefix(2);
        std::string_view tag;
        if (!name(tag) || open.empty() || open.back() != tag)
            return false;
        open.pop_back();
        skipSpace();
        if (!startsWith(">"))
            return false;
        rest.remove_prefix(1);
        return true;
    }

    std::string_view rest;
    std::vector<std::string_view> open;
};
} // namespace

bool isPlainXml(std::string_view text) noexcept
{
    try
    {
        return PlainXmlReader(text).read();
    }
    catch (...)
    {
        // Only an allocation fails here. No line: this reader has no logger, and the file is
        // then passed over like any other that is not plain XML, its settings left as they were.
        return false;
    }
}
