// The --report file: only values that a run can reproduce (no pointers, no times), one
// "key: value" per line, so two runs, or a direct and a bridged run, compare with diff.
#pragma once

#include <cstdio>
#include <string>

namespace host
{
class SessionReport
{
public:
    // An empty path writes nothing.
    bool open(const std::string& path);
    // False when any line could not be written.
    bool close();
    ~SessionReport() { close(); }

    void line(const char* format, ...) __attribute__((format(printf, 2, 3)));
    bool failed() const { return writeFailed; }

private:
    FILE* file = nullptr;
    bool writeFailed = false;
};
} // namespace host
