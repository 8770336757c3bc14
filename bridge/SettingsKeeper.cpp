#include "bridge/SettingsKeeper.h"

#include "bridge/Lifecycle.h"
#include "bridge/Session.h"
#include "bridge/SettingsFile.h"

namespace
{
// Twice a second: a change is on disk within a second.
constexpr int kIntervalMs = 500;
} // namespace

SettingsKeeper::SettingsKeeper(Session& owner)
    : session(owner), written(settingsText(owner.lastDir, owner.oxLogger))
{
    startTimer(kIntervalMs);
}

SettingsKeeper::~SettingsKeeper()
{
    stopTimer();
}

void SettingsKeeper::timerCallback()
{
    const juce::String now = settingsText(session.lastDir, session.oxLogger);
    if (now == written)
        return;
    written = now;
    saveSettings(session);
}
