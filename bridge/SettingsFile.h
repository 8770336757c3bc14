// The settings file beside the module (or in the user's configuration folder when the module's
// folder can't be written): the chooser's last folder and the logger's switches.
#pragma once

#include <juce_core/juce_core.h>

#include <string>

class OXLogger;

// X.so keeps its settings in X.xml in the same folder; an unknown module has no settings file.
juce::File settingsFileFor(const juce::File& module);

struct SettingsFiles
{
    juce::File read;  // may not exist
    juce::File write; // empty for an unknown module
};
// The file beside the module comes first. When its folder can't be written (a system-wide
// install), the same name in configHome/oplexa/ is written instead, if that can be. Reading
// takes the file that will be written, or else the other one.
SettingsFiles settingsFilesFor(const juce::File& module, const juce::File& configHome);
// The same for a module path's bytes. JUCE can't name a folder that is not valid UTF-8, so a
// module in one is treated as one in a folder that can't be written: its settings go to
// configHome/oplexa/, named as the log shows its name.
SettingsFiles settingsFilesFor(const std::string& module, const juce::File& configHome);

// Applies what a settings document holds; anything missing or malformed is skipped, and a
// document that is not valid UTF-8 is skipped whole. lastDir is a path's bytes.
void applySettings(const void* data, size_t size, std::string& lastDir, OXLogger& logger);
// Returns the file's bytes as read, empty when it is missing or can't be read.
std::string readSettings(const juce::File& file, std::string& lastDir, OXLogger& logger);
// The text writeSettings writes.
juce::String settingsText(const std::string& lastDir, const OXLogger& logger);
// Writes text through a temporary file renamed over the file, or, when the file is a symbolic
// link, over the file it leads to (the temporary file goes beside that one). Nothing waits for
// the disk. The file written, or an empty File when it could not be written.
juce::File writeSettingsText(const juce::File& file, const juce::String& text);
// False when the file could not be written.
bool writeSettings(const juce::File& file, const std::string& lastDir, const OXLogger& logger);
