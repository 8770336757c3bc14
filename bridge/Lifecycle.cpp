// Start-up before the plug-in is chosen, and shutdown after it closed or failed to load.
#include "bridge/Lifecycle.h"

#include "bridge/EntryPoint.h"
#include "bridge/MessageThread.h"
#include "bridge/MonitorWindow.h"
#include "bridge/Platform.h"
#include "bridge/PluginLoader.h"
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
        oxLogger.stopOutput();
    }
    catch (...)
    {
    }
}

SettingsFiles settingsFiles()
{
    return settingsFilesFor(
        dllPath, juce::File(juce::String::fromUTF8(platform::userConfigFolder().c_str())));
}

// Names both files while the one read is not the one that will be written.
juce::String settingsLine(const SettingsFiles& settings)
{
    juce::String line = "Settings file " + settings.write.getFullPathName();
    if (settings.read != settings.write)
        line << " (read from " << settings.read.getFullPathName() << ")";
    return line;
}
} // namespace

void startOplexa()
{
    platform::runBeforeStaticDestructors(endWithoutClose);
    messageThread::start();
    getModuleFileName();
    oxLogger.init(dllPath.getFileName());
    const SettingsFiles settings = settingsFiles();
    // The settings name the log's destination, so they come before the first line.
    readSettings(settings.read, lastDir, oxLogger);
    oxLogger.startOutput(settings.read.getParentDirectory());
    oxLogger.log(("Oplexa - " + dllPath.getFullPathName()).toRawUTF8());
    oxLogger.log(juce::Time::getCurrentTime().toString(true, true, true, false).toRawUTF8());
    if (settings.write != juce::File())
        oxLogger.log(settingsLine(settings).toRawUTF8());
}

void stopOplexa()
{
    // Written while the window and the hosted module still exist.
    const juce::File settings = settingsFiles().write;
    if (!writeSettings(settings, lastDir, oxLogger))
        oxLogger.log(("Failed to write logger state to " + settings.getFullPathName()).toRawUTF8());
    closeMonitorWindow();
    unloadPlugin();
    messageThread::stop();
    oxLogger.stopOutput();
}
