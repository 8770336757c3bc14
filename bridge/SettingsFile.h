// The settings file beside the module: the chooser's last folder and the logger's switches.
#pragma once

#include <juce_core/juce_core.h>

class OXLogger;

// X.so keeps its settings in X.xml in the same folder; an unknown module has no settings file.
juce::File settingsFileFor(const juce::File& module);

// Applies what a settings document holds; anything missing or malformed is skipped, and a
// document that is not valid UTF-8 is skipped whole.
void applySettings(const void* data, size_t size, juce::File& lastDir, OXLogger& logger);
void readSettings(const juce::File& file, juce::File& lastDir, OXLogger& logger);
// False when the file could not be written.
bool writeSettings(const juce::File& file, const juce::File& lastDir, const OXLogger& logger);
