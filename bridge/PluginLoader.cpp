// Choosing, loading and releasing the hosted plug-in. Runs on the thread that called
// main_macho or dispatched "Close"; only the chooser itself runs on the message thread.
#include "bridge/PluginLoader.h"

#include "bridge/EntryPoint.h"
#include "bridge/Forwarders.h"
#include "bridge/MessageThread.h"
#include "logger/OXLogger.h"

#include <juce_gui_basics/juce_gui_basics.h>

platform::ResourceRef bundleRes = 0;
juce::File lastDir;
juce::File dllPath;

namespace
{
// The hosted module and its file, from the choice to the unload.
platform::ModuleHandle vstBundle = nullptr;
juce::String path;

juce::String chooserTitle()
{
    return dllPath.getFileNameWithoutExtension() + " - Please select the plugin to log...";
}

// The user's choice: OPLEXA_PLUGIN stands for it, else the modal chooser, if there is a display.
bool choosePlugin(juce::File& chosen)
{
    const std::string fromEnvironment = platform::environment("OPLEXA_PLUGIN");
    if (!fromEnvironment.empty())
    {
        chosen = juce::File::getCurrentWorkingDirectory().getChildFile(fromEnvironment);
        return true;
    }
    if (!platform::displayAvailable())
    {
        oxLogger.log("No display to show the plugin chooser on; set OPLEXA_PLUGIN to the plugin "
                     "to log");
        return false;
    }
    bool accepted = false;
    messageThread::call(
        [&]
        {
            juce::FileChooser chooser(chooserTitle(), lastDir, "*.so");
            accepted = chooser.browseForFileToOpen();
            if (accepted)
                chosen = chooser.getResult();
        });
    return accepted;
}

AEffect* failLoading()
{
    freeVstPlugin();
    oxLogger.log(("Unloaded " + path).toRawUTF8());
    return nullptr;
}
} // namespace

AEffect* loadVstPlugin(audioMasterCallback audioMaster)
{
    vstAudioMaster = audioMaster;
    if (!lastDir.isDirectory())
        lastDir = juce::File::getSpecialLocation(juce::File::userHomeDirectory);

    juce::File chosen;
    if (!choosePlugin(chosen))
    {
        oxLogger.log("No plugin was selected");
        return nullptr;
    }
    lastDir = chosen.getParentDirectory();
    path = chosen.getFullPathName();
    oxLogger.moduleName = chosen.getFileName();

    const VstPluginMainProc pluginMain = getVstPluginMain();
    if (pluginMain == nullptr)
    {
        oxLogger.log("Failed to get VST main function");
        return failLoading();
    }

    const platform::ResourceRef saved = platform::currentResources();
    platform::useResources(bundleRes);
    AEffect* effect = pluginMain(proxyAudioMaster);
    platform::useResources(saved);

    if (effect == nullptr)
        return failLoading();
    if (effect->magic != kEffectMagic)
    {
        oxLogger.log("Wrong Magic, probably not a VST plugin");
        return failLoading();
    }
    return effect;
}

VstPluginMainProc getVstPluginMain()
{
    vstBundle = platform::openModule(path.toRawUTF8());
    if (vstBundle == nullptr)
    {
        const std::string reason = platform::lastModuleError();
        oxLogger.log(
            ("Failed to load " + path + (reason.empty() ? "" : ": ") + reason.c_str()).toRawUTF8());
        return nullptr;
    }
    bundleRes = platform::openResources(vstBundle);
    return platform::findEntryPoint(vstBundle);
}

bool freeVstPlugin()
{
    if (vstBundle == nullptr)
        return false;
    platform::closeResources(vstBundle, bundleRes);
    platform::closeModule(vstBundle);
    vstBundle = nullptr;
    return true;
}

void unloadPlugin()
{
    if (freeVstPlugin())
        oxLogger.log(("Unloaded " + path).toRawUTF8());
}

void getModuleFileName()
{
    const std::string own = platform::ownModulePath();
    // The loader reports the path the host passed to dlopen, which may be relative.
    if (!own.empty())
        dllPath = juce::File::getCurrentWorkingDirectory().getChildFile(
            juce::String::fromUTF8(own.c_str()));
}
