// File names are bytes: a path need not be valid UTF-8, and JUCE's strings lose the bytes that
// are not. Such paths stay in std::string, and become text only where they are shown or saved.
#pragma once

#include <juce_core/juce_core.h>

#include <string>

namespace pathText
{
bool isValidUtf8(const std::string& bytes) noexcept;

// For the log: valid UTF-8 as it is, each byte of an invalid sequence as \xNN (lower-case hex,
// as the log escapes control characters).
juce::String printable(const std::string& bytes);

// For the settings file: a valid UTF-8 path is its own text and needs no escape. Otherwise
// escape() gives a text where "\\" stands for a backslash and \xNN for a byte, and the
// element carries kEscapedAttribute="1" so that a reader knows to unescape().
constexpr const char* kEscapedAttribute = "escaped";
std::string escape(const std::string& bytes);
// False for a text that is not one escape() gives.
bool unescape(const std::string& text, std::string& bytes);

// The parts of an absolute path, as juce::File splits a normalised one.
std::string folderOf(const std::string& path);
std::string fileNameOf(const std::string& path);
} // namespace pathText
