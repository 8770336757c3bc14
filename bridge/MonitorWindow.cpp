#include "bridge/MonitorWindow.h"

#include "bridge/MessageThread.h"
#include "bridge/Platform.h"
#include "gui/OXWindow.h"
#include "logger/OXLogger.h"

MonitorWindow::MonitorWindow() = default;

// Closed before: the window and the keeper go on the message thread.
MonitorWindow::~MonitorWindow() = default;

void MonitorWindow::open(AEffect& record, OXLogger& logger,
                         std::function<juce::String()> settingsText,
                         std::function<void()> writeSettings)
{
    const bool display = platform::displayAvailable();
    if (!display)
        logger.log("No display to show the monitor window on; logging goes on without it");
    messageThread::call(
        [&, display]
        {
            settingsKeeper =
                std::make_unique<SettingsKeeper>(std::move(settingsText), std::move(writeSettings));
            if (!display)
                return;
            window = std::make_unique<OXWindow>(record, logger);
            window->toFront(true);
            window->startTimer(50);
        },
        logger, "MonitorWindow::open");
}

void MonitorWindow::close(OXLogger& logger)
{
    messageThread::call(
        [this]
        {
            settingsKeeper.reset();
            window.reset();
        },
        logger, "MonitorWindow::close");
}
