#include "tools/host/HostLog.h"

#include <cstdarg>
#include <cstring>
#include <unistd.h>

namespace host
{
bool HostLog::open(const std::string& path)
{
    if (path.empty())
        return true;
    file = std::fopen(path.c_str(), "w");
    ownsFile = file != nullptr;
    return ownsFile;
}

HostLog::~HostLog()
{
    if (ownsFile)
        std::fclose(file);
}

void HostLog::line(const char* format, ...)
{
    if (quiet)
        return;
    va_list args;
    va_start(args, format);
    write(format, args);
    va_end(args);
}

void HostLog::problem(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    write(format, args);
    va_end(args);
}

int HostLog::descriptor() const
{
    return file != nullptr ? fileno(file) : STDERR_FILENO;
}

void HostLog::write(const char* format, va_list args)
{
    char buffer[4096];
    int length = std::snprintf(buffer, sizeof(buffer), "host: ");
    const int body = std::vsnprintf(buffer + length,
                                    sizeof(buffer) - static_cast<size_t>(length) - 1, format, args);
    if (body > 0)
        length += body;
    if (static_cast<size_t>(length) > sizeof(buffer) - 2)
        length = static_cast<int>(sizeof(buffer) - 2);
    buffer[length++] = '\n';
    // One write per line, so lines from several threads never interleave.
    if (file != nullptr)
    {
        std::fwrite(buffer, 1, static_cast<size_t>(length), file);
        std::fflush(file);
    }
    else
    {
        ssize_t ignored = ::write(STDERR_FILENO, buffer, static_cast<size_t>(length));
        (void)ignored;
    }
}

HostLog& hostLog()
{
    static HostLog log;
    return log;
}

std::string quoted(const char* text, size_t maxLength)
{
    if (text == nullptr)
        return "null";
    std::string result = "\"";
    const size_t length = strnlen(text, maxLength);
    for (size_t i = 0; i < length; ++i)
    {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\')
        {
            result += '\\';
            result += static_cast<char>(c);
        }
        else if (c >= 0x20 && c < 0x7f)
            result += static_cast<char>(c);
        else
        {
            char escaped[8];
            std::snprintf(escaped, sizeof(escaped), "\\x%02x", c);
            result += escaped;
        }
    }
    if (length == maxLength)
        result += "\"(unterminated)";
    else
        result += '"';
    return result;
}
} // namespace host
