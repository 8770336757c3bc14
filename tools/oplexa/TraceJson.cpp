#include "tools/oplexa/TraceJson.h"

#include <cinttypes>
#include <cmath>

namespace oplexa
{
TraceJson::TraceJson(FILE* to) : out(to)
{
    put("{\"traceEvents\":[\n");
}

void TraceJson::put(const char* text)
{
    while (*text != '\0')
        putChar(*text++);
}

void TraceJson::flush()
{
    std::fwrite(buffer, 1, used, out);
    used = 0;
}

void TraceJson::putUnsigned(uint64_t number)
{
    char digits[24];
    int length = 0;
    do
        digits[length++] = static_cast<char>('0' + number % 10);
    while ((number /= 10) != 0);
    while (length > 0)
        putChar(digits[--length]);
}

void TraceJson::putTime(uint64_t ns)
{
    putUnsigned(ns / 1000);
    const auto part = static_cast<unsigned>(ns % 1000);
    putChar('.');
    putChar(static_cast<char>('0' + part / 100));
    putChar(static_cast<char>('0' + part / 10 % 10));
    putChar(static_cast<char>('0' + part % 10));
}

// Bytes past ASCII are taken as Latin-1: a plug-in's path need not be UTF-8, the JSON must be.
void TraceJson::putString(const std::string& text)
{
    putChar('"');
    for (const char c : text)
    {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '"' || byte == '\\')
        {
            putChar('\\');
            putChar(c);
        }
        else if (byte < 0x20 || byte >= 0x7F)
        {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            put(escaped);
        }
        else
            putChar(c);
    }
    putChar('"');
}

void TraceJson::begin(char phase, const std::string& name, int64_t tid, uint64_t ns)
{
    put(firstEvent ? "{\"ph\":\"" : ",\n{\"ph\":\"");
    firstEvent = false;
    putChar(phase);
    put("\",\"name\":");
    putString(name);
    put(",\"pid\":1");
    if (tid != kNoThread)
    {
        put(",\"tid\":");
        putUnsigned(static_cast<uint64_t>(tid));
    }
    if (phase != 'M')
    {
        put(",\"ts\":");
        putTime(ns);
    }
    inArgs = false;
}

void TraceJson::duration(uint64_t ns)
{
    put(",\"dur\":");
    putTime(ns);
}

void TraceJson::category(const char* name)
{
    put(",\"cat\":");
    putString(name);
}

void TraceJson::scope(char which)
{
    put(",\"s\":\"");
    putChar(which);
    putChar('"');
}

void TraceJson::argKey(const char* key)
{
    put(inArgs ? "," : ",\"args\":{");
    inArgs = true;
    putChar('"');
    put(key);
    put("\":");
}

void TraceJson::arg(const char* key, int64_t number)
{
    argKey(key);
    if (number < 0)
    {
        putChar('-');
        putUnsigned(~static_cast<uint64_t>(number) + 1);
    }
    else
        putUnsigned(static_cast<uint64_t>(number));
}

// As the printout shows a float: six decimals; JSON has no NaN nor infinity, so those as text.
void TraceJson::arg(const char* key, double number)
{
    argKey(key);
    char text[400]; // the largest double in fixed notation
    if (std::isfinite(number))
    {
        std::snprintf(text, sizeof text, "%f", number);
        put(text);
    }
    else
        putString(std::isnan(number) ? "nan" : number > 0 ? "inf" : "-inf");
}

void TraceJson::argMicroseconds(const char* key, uint64_t ns)
{
    argKey(key);
    putTime(ns);
}

void TraceJson::argText(const char* key, const std::string& text)
{
    argKey(key);
    putString(text);
}

void TraceJson::argHex(const char* key, uint64_t number)
{
    argKey(key);
    char text[24];
    std::snprintf(text, sizeof text, "\"0x%" PRIx64 "\"", number);
    put(text);
}

void TraceJson::argTrue(const char* key)
{
    argKey(key);
    put("true");
}

void TraceJson::end()
{
    put(inArgs ? "}}" : "}");
    inArgs = false;
}

bool TraceJson::finish()
{
    put("\n],\"displayTimeUnit\":\"ns\"}\n");
    flush();
    return std::fflush(out) == 0 && std::ferror(out) == 0;
}
} // namespace oplexa
