// Start-up before the plug-in is chosen, and shutdown after it closed or failed to load.
#include "bridge/BridgeState.h"
#include "bridge/MessageThread.h"
#include "bridge/SettingsFile.h"
#include "logger/OXLogger.h"

namespace
{
// Some hosts (scanners above all) unload the module or exit without closing the plug-in. The
// window, the hosted plug-in and the message thread must go while every static they use lives.
// No settings are written: the session did not end as the user asked.
void endWithoutClose() noexcept
{
    try
    {
        if (!messageThread::isRunning())
            return;
        closeMonitorWindow();
        vstEffect = nullptr;
        unloadPlugin();
        messageThread::stop();
    }
    catch (...)
    {
    }
}
} // namespace

void startOplexa()
{
    platform::runBeforeStaticDestructors(endWithoutClose);
    messageThread::start();
    getModuleFileName();
    oxLogger.init(dllPath.getFileName());
    oxLogger.log(("Oplexa - " + dllPath.getFullPathName()).toRawUTF8());
    oxLogger.log(juce::Time::getCurrentTime().toString(true, true, true, false).toRawUTF8());
    readSettings(settingsFileFor(dllPath), lastDir, oxLogger);
}

void stopOplexa()
{
    // Written while the window and the hosted module still exist.
    const juce::File settings = settingsFileFor(dllPath);
    if (!writeSettings(settings, lastDir, oxLogger))
        oxLogger.log(("Failed to write logger state to " + settings.getFullPathName()).toRawUTF8());
    closeMonitorWindow();
    unloadPlugin();
    messageThread::stop();
}
