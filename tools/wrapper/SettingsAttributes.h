// The two attributes a wrapper reads from its settings file (Oplexa's XML, written by
// `oplexa wrap` and by Oplexa's sessions), found without an XML library: the wrapper links only
// the C library.
#pragma once

#include "vst/VstInterface.h"

#include <climits>

namespace wrapperSettings
{
// X.so keeps its settings in X.xml beside it; when that folder can't be written and the user's
// configuration folder holds oplexa/X.xml, that one is read (the rule Oplexa's sessions follow).
void fileOf(const char* wrapper, char (&settings)[PATH_MAX]);
// NAME="VALUE" on the file's Parameters element, XML references decoded. False when the file,
// the element or the attribute is missing, or the value does not fit.
bool attribute(const char* settings, const char* name, char (&value)[PATH_MAX]);
} // namespace wrapperSettings
