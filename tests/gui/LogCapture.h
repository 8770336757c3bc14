// Sends the logger's lines to a private file so tests can read what was written.
#pragma once

#include <juce_core/juce_core.h>

namespace LogCapture
{
// Call before the logger's init: it picks the file up from OPLEXA_LOG_FILE once.
void install();
// The lines written since the previous call.
juce::StringArray takeNewLines();
} // namespace LogCapture
