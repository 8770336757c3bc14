// A session's hosted plug-in: choosing it, loading its module, calling its entry point and
// unloading it. Runs on the thread that called the entry point or dispatched Close; only the
// chooser itself runs on the message thread.
#pragma once

#include "bridge/MessageThread.h"
#include "bridge/Platform.h"
#include "vst/VstInterface.h"

#include <juce_core/juce_core.h>

#include <string>

class OXLogger;

// A path made absolute against the working folder.
std::string absolutePath(const std::string& path);

class PluginLoader
{
public:
    // What a session knows when it chooses its plug-in.
    struct Choice
    {
        // The wrapper the session was started through, or empty for the module itself.
        const std::string& wrapperPath;
        // How many sessions of the module itself started before this one.
        int startOrder;
        // The folder the chooser opens in, and the module whose name its title shows.
        const std::string& lastDir;
        const std::string& dllPath;
        // Where the chooser runs.
        MessageThread& messageThread;
    };
    // A wrapper hosts the plug-in its settings name. For the module itself OPLEXA_PLUGIN stands
    // for the user's choice, else the settings' hostedPlugin, else the chooser, if there is a
    // display. False, with a line saying why where there is one, when nothing was chosen.
    static bool choose(const Choice& choice, OXLogger& logger, std::string& chosen);

    // Loads path and calls its entry point with callback. Null, with a line saying why, when it
    // fails to load: the module is then unloaded again.
    AEffect* load(OXLogger& logger, audioMasterCallback callback);
    // Unloads the module and says so; nothing when none is loaded.
    void unload(OXLogger& logger);

    // The hosted module, its resources and its file, from the choice to the unload.
    platform::ModuleHandle vstBundle = nullptr;
    platform::ResourceRef bundleRes = 0;
    // As the file system's bytes, which need not be valid UTF-8.
    std::string path;

private:
    VstPluginMainProc getVstPluginMain(OXLogger& logger, const char** entryName);
    AEffect* callEntryPoint(OXLogger& logger, VstPluginMainProc pluginMain, const char* entryName,
                            audioMasterCallback callback);
    AEffect* failLoading(OXLogger& logger);
    // False when no module was loaded.
    bool freeVstPlugin();
};
