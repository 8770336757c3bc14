// The host's own log: one "host: " line per event, written whole, from any thread.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <string>

namespace host
{
class HostLog
{
public:
    // An empty path logs to standard error, apart from the hosted module's standard output.
    bool open(const std::string& path);
    void setQuiet(bool on) { quiet = on; }
    ~HostLog();

    // Call lines; dropped when quiet.
    void line(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // Warnings and errors; always written, also when quiet.
    void problem(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // Where problems go, for a signal handler's write.
    int descriptor() const;

private:
    void write(const char* format, va_list args);

    FILE* file = nullptr;
    bool ownsFile = false;
    bool quiet = false;
};

HostLog& hostLog();

// Quotes a text for a log or report line, escaping what is not printable ASCII.
std::string quoted(const char* text, size_t maxLength);
} // namespace host
