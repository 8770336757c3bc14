#include "tools/host/TextBuffer.h"

#include "tools/host/HostLog.h"

#include <algorithm>

namespace host
{
char* TextBuffer::clear()
{
    std::fill(bytes_.begin(), bytes_.end(), '\0');
    return bytes_.data();
}

std::string TextBuffer::quotedText()
{
    bytes_.back() = '\0';
    return quoted(bytes_.data(), bytes_.size());
}
} // namespace host
