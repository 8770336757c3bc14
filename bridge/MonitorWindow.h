// A session's monitor window and the keeper that writes the user's choices, created and
// destroyed on the message thread.
#pragma once

#include "bridge/SettingsKeeper.h"

#include <functional>
#include <memory>

class OXLogger;
class OXWindow;
struct AEffect;
namespace rules
{
class RuleChecker;
}

class MonitorWindow
{
public:
    MonitorWindow();
    ~MonitorWindow();
    MonitorWindow(const MonitorWindow&) = delete;
    MonitorWindow& operator=(const MonitorWindow&) = delete;

    // Shows the record and the logger, and the checker's problems unless it is null; without a
    // display it says so and shows nothing. The keeper starts either way: settingsText and
    // writeSettings are its (see SettingsKeeper).
    void open(AEffect& record, OXLogger& logger, const rules::RuleChecker* checker,
              std::function<juce::String()> settingsText, std::function<void()> writeSettings);
    void close(OXLogger& logger);

private:
    // Touched only on the message thread.
    std::unique_ptr<OXWindow> window;
    std::unique_ptr<SettingsKeeper> settingsKeeper;
};
