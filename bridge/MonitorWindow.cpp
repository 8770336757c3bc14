#include "bridge/MonitorWindow.h"

#include "bridge/MessageThread.h"
#include "bridge/Platform.h"
#include "bridge/Session.h"
#include "bridge/SettingsKeeper.h"
#include "gui/OXWindow.h"

void openMonitorWindow(Session& session)
{
    const bool display = platform::displayAvailable();
    if (!display)
        session.oxLogger.log(
            "No display to show the monitor window on; logging goes on without it");
    messageThread::call(
        [&session, display]
        {
            session.settingsKeeper = new SettingsKeeper(session);
            if (!display)
                return;
            session.window = new OXWindow(session.proxyEffect, session.oxLogger);
            session.window->toFront(true);
            session.window->startTimer(50);
        });
}

void closeMonitorWindow(Session& session)
{
    messageThread::call(
        [&session]
        {
            delete session.settingsKeeper;
            session.settingsKeeper = nullptr;
            delete session.window;
            session.window = nullptr;
        });
}
