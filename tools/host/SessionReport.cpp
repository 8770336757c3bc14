#include "tools/host/SessionReport.h"

#include <cstdarg>

namespace host
{
bool SessionReport::open(const std::string& path)
{
    if (path.empty())
        return true;
    file = std::fopen(path.c_str(), "w");
    writeFailed = file == nullptr;
    return !writeFailed;
}

bool SessionReport::close()
{
    if (file != nullptr && std::fclose(file) != 0)
        writeFailed = true;
    file = nullptr;
    return !writeFailed;
}

void SessionReport::line(const char* format, ...)
{
    if (file == nullptr)
        return;
    va_list args;
    va_start(args, format);
    if (std::vfprintf(file, format, args) < 0 || std::fputc('\n', file) == EOF)
        writeFailed = true;
    va_end(args);
}
} // namespace host
