#include "bridge/MonitorWindow.h"

#include "bridge/Platform.h"
#include "bridge/Process.h"
#include "gui/OXWindow.h"
#include "logger/OXLogger.h"

namespace
{
// Each next window opens this far right of and below the last one, enough to show its title.
constexpr int kCascadeStep = 30;

// Centred while no other window is open; else offset from the last one, back at the top left of
// the screen's free area when it would reach past it.
std::optional<juce::Point<int>> nextPosition(const Process::Windows& windows)
{
    if (windows.open == 0)
        return std::nullopt;
    const juce::Point<int> last(windows.lastX, windows.lastY);
    const juce::Rectangle<int> next(last.x + kCascadeStep, last.y + kCascadeStep, OXWindow::kWidth,
                                    OXWindow::kHeight);
    const juce::Displays::Display* display =
        juce::Desktop::getInstance().getDisplays().getDisplayForPoint(last);
    if (display == nullptr || display->userArea.contains(next))
        return next.getPosition();
    return display->userArea.getPosition();
}
} // namespace

MonitorWindow::MonitorWindow() = default;

// Closed before: the window and the keeper go on the message thread.
MonitorWindow::~MonitorWindow() = default;

void MonitorWindow::open(AEffect& record, OXLogger& logger, const rules::RuleChecker* checker,
                         std::function<juce::String()> settingsText,
                         std::function<void()> writeSettings)
{
    const bool display = platform::displayAvailable();
    if (!display)
        logger.log("No display to show the monitor window on; logging goes on without it");
    Process::get().messageThread.call(
        [&, display]
        {
            settingsKeeper =
                std::make_unique<SettingsKeeper>(std::move(settingsText), std::move(writeSettings));
            if (!display)
                return;
            Process::Windows& windows = Process::get().windows;
            window = std::make_unique<OXWindow>(record, logger, checker, nextPosition(windows));
            ++windows.open;
            windows.lastX = window->getX();
            windows.lastY = window->getY();
            window->toFront(true);
            window->startTimer(50);
        },
        logger, "MonitorWindow::open");
}

void MonitorWindow::close(OXLogger& logger)
{
    Process::get().messageThread.call(
        [this]
        {
            settingsKeeper.reset();
            if (window != nullptr)
                --Process::get().windows.open;
            window.reset();
        },
        logger, "MonitorWindow::close");
}
