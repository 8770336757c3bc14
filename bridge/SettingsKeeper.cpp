#include "bridge/SettingsKeeper.h"

namespace
{
// Twice a second: a change is on disk within a second.
constexpr int kIntervalMs = 500;
} // namespace

SettingsKeeper::SettingsKeeper(std::function<juce::String()> text, std::function<void()> write)
    : settingsText(std::move(text)), writeSettings(std::move(write)), written(settingsText())
{
    startTimer(kIntervalMs);
}

SettingsKeeper::~SettingsKeeper()
{
    stopTimer();
}

void SettingsKeeper::timerCallback()
{
    const juce::String now = settingsText();
    if (now == written)
        return;
    written = now;
    writeSettings();
}
