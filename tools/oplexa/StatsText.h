// Texts from a recording (a plug-in's path may hold any bytes) made safe to write into JSON and
// SVG: what those formats escape escaped, and a byte that is not UTF-8 as U+FFFD.
#pragma once

#include <string>

namespace oplexa
{
// In quotes.
std::string jsonText(const std::string& text);
// For an element's text or an attribute in double quotes; control characters as spaces.
std::string xmlText(const std::string& text);
} // namespace oplexa
