// A strict check of the plain XML that a settings file holds, made before JUCE parses it:
// JUCE's parser reads past the end of some malformed text and never returns from other text.
#pragma once

#include <string_view>

// True for a declaration, comments, elements with quoted attributes, text and the five named
// and the numeric character references, properly nested; false for anything else (CDATA,
// DOCTYPE, processing instructions after the declaration, stray '<' or '&', broken tags).
bool isPlainXml(std::string_view text) noexcept;
