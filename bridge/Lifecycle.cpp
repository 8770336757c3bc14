// Start-up before the plug-in is chosen, and shutdown after it closed or failed to load.
#include "bridge/BridgeState.h"
#include "bridge/MessageThread.h"
#include "bridge/SettingsFile.h"
#include "logger/OXLogger.h"

void startOplexa()
{
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
