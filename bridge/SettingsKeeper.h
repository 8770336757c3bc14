// Writes a session's settings soon after the user changed them in the window, so that an ending
// without Close, or a crash, loses nothing that was clicked. Message thread only.
#pragma once

#include <juce_events/juce_events.h>

#include <functional>

class SettingsKeeper : private juce::Timer
{
public:
    // text gives the settings as they are now, write writes them.
    SettingsKeeper(std::function<juce::String()> text, std::function<void()> write);
    ~SettingsKeeper() override;

private:
    void timerCallback() override;

    std::function<juce::String()> settingsText;
    std::function<void()> writeSettings;
    juce::String written;
};
