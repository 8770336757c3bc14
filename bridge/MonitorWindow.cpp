#include "bridge/MonitorWindow.h"

#include "bridge/EntryPoint.h"
#include "bridge/MessageThread.h"
#include "bridge/Platform.h"
#include "gui/OXWindow.h"
#include "logger/OXLogger.h"

namespace
{
// Owned from main_macho to shutdown; touched only on the message thread.
OXWindow* window = nullptr;
} // namespace

void openMonitorWindow(const AEffect& effect)
{
    if (!platform::displayAvailable())
    {
        oxLogger.log("No display to show the monitor window on; logging goes on without it");
        return;
    }
    messageThread::call(
        [&effect]
        {
            window = new OXWindow(effect, oxLogger);
            window->toFront(true);
            window->startTimer(50);
        });
}

void closeMonitorWindow()
{
    messageThread::call(
        []
        {
            delete window;
            window = nullptr;
        });
}
