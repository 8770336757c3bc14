// Writes a session's settings soon after the user changed them in the window, so that an ending
// without Close, or a crash, loses nothing that was clicked. Message thread only.
#pragma once

#include <juce_events/juce_events.h>

class Session;

class SettingsKeeper : private juce::Timer
{
public:
    explicit SettingsKeeper(Session& session);
    ~SettingsKeeper() override;

private:
    void timerCallback() override;

    Session& session;
    juce::String written;
};
