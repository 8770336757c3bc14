#include "tools/wrapper/SettingsAttributes.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace wrapperSettings
{
namespace
{
constexpr size_t kLargestFile = 1 << 20;

// &amp; &lt; &gt; &quot; &apos; and numeric references below 128; false for anything else.
bool decode(const char* from, const char* end, char (&value)[PATH_MAX])
{
    static const struct
    {
        const char* name;
        char text;
    } named[] = {{"amp;", '&'}, {"lt;", '<'}, {"gt;", '>'}, {"quot;", '"'}, {"apos;", '\''}};
    size_t length = 0;
    while (from < end && length + 1 < sizeof value)
    {
        char text = *from++;
        if (text == '&')
        {
            bool known = false;
            for (const auto& reference : named)
                if (std::strncmp(from, reference.name, std::strlen(reference.name)) == 0)
                {
                    text = reference.text;
                    from += std::strlen(reference.name);
                    known = true;
                }
            if (!known && *from == '#')
            {
                char* stop = nullptr;
                const bool hex = from[1] == 'x';
                const long code = std::strtol(from + (hex ? 2 : 1), &stop, hex ? 16 : 10);
                if (stop == nullptr || *stop != ';' || code <= 0 || code > 127)
                    return false;
                text = static_cast<char>(code);
                from = stop + 1;
                known = true;
            }
            if (!known)
                return false;
        }
        value[length++] = text;
    }
    value[length] = '\0';
    return from == end;
}

// name="value" in the tag that starts at tag and ends at end.
bool findIn(const char* tag, const char* end, const char* name, char (&value)[PATH_MAX])
{
    const size_t nameLength = std::strlen(name);
    for (const char* at = tag; at + nameLength + 2 < end; ++at)
    {
        if ((at[-1] != ' ' && at[-1] != '\t' && at[-1] != '\n' && at[-1] != '\r') ||
            std::strncmp(at, name, nameLength) != 0 || at[nameLength] != '=')
            continue;
        const char quote = at[nameLength + 1];
        if (quote != '"' && quote != '\'')
            continue;
        const char* from = at + nameLength + 2;
        const char* to = static_cast<const char*>(std::memchr(from, quote, end - from));
        return to != nullptr && decode(from, to, value);
    }
    return false;
}
} // namespace

void fileOf(const char* wrapper, char (&settings)[PATH_MAX])
{
    std::snprintf(settings, sizeof settings, "%s", wrapper);
    char* slash = std::strrchr(settings, '/');
    char* dot = std::strrchr(settings, '.');
    if (dot != nullptr && (slash == nullptr || dot > slash))
        *dot = '\0';
    std::strncat(settings, ".xml", sizeof settings - std::strlen(settings) - 1);
    slash = std::strrchr(settings, '/');
    if (slash == nullptr)
        return;
    *slash = '\0';
    const bool writable = access(settings, W_OK) == 0;
    *slash = '/';
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    char config[PATH_MAX];
    if (xdg != nullptr && xdg[0] == '/')
        std::snprintf(config, sizeof config, "%s/oplexa%s", xdg, slash);
    else if (home != nullptr && home[0] == '/')
        std::snprintf(config, sizeof config, "%s/.config/oplexa%s", home, slash);
    else
        return;
    if (!writable && access(config, R_OK) == 0)
        std::snprintf(settings, sizeof settings, "%s", config);
}

bool attribute(const char* settings, const char* name, char (&value)[PATH_MAX])
{
    FILE* file = std::fopen(settings, "rb");
    if (file == nullptr)
        return false;
    char* text = static_cast<char*>(std::malloc(kLargestFile + 1));
    const size_t length = text != nullptr ? std::fread(text, 1, kLargestFile, file) : 0;
    std::fclose(file);
    if (text == nullptr)
        return false;
    text[length] = '\0';
    bool found = false;
    const char* tag = std::strstr(text, "<Parameters");
    const char* end = tag != nullptr ? std::strchr(tag, '>') : nullptr;
    if (end != nullptr)
        found = findIn(tag + 1, end, name, value);
    std::free(text);
    return found;
}
} // namespace wrapperSettings
