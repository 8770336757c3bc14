#include "tools/host/SessionReport.h"

#include <cstdarg>

namespace host
{
bool SessionReport::open(const std::string& path)
{
    if (path.empty())
        return true;
    file_ = std::fopen(path.c_str(), "w");
    failed_ = file_ == nullptr;
    return !failed_;
}

bool SessionReport::close()
{
    if (file_ != nullptr && std::fclose(file_) != 0)
        failed_ = true;
    file_ = nullptr;
    return !failed_;
}

void SessionReport::line(const char* format, ...)
{
    if (file_ == nullptr)
        return;
    va_list args;
    va_start(args, format);
    if (std::vfprintf(file_, format, args) < 0 || std::fputc('\n', file_) == EOF)
        failed_ = true;
    va_end(args);
}
} // namespace host
