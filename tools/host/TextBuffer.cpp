#include "tools/host/TextBuffer.h"

#include "tools/host/HostLog.h"

#include <algorithm>

namespace host
{
char* TextBuffer::clear()
{
    std::fill(bytes.begin(), bytes.end(), '\0');
    return bytes.data();
}

std::string TextBuffer::quotedText()
{
    bytes.back() = '\0';
    return quoted(bytes.data(), bytes.size());
}
} // namespace host
