// Choosing, loading and releasing the hosted plug-in. Runs on the thread that called
// main_macho or dispatched "Close"; only the chooser itself runs on the message thread.
#include "bridge/PluginLoader.h"

#include "bridge/Forwarders.h"
#include "bridge/MessageThread.h"
#include "bridge/Recorder.h"
#include "bridge/Session.h"

#include <juce_gui_basics/juce_gui_basics.h>

juce::File dllPath;

namespace
{
juce::String chooserTitle()
{
    return dllPath.getFileNameWithoutExtension() + " - Please select the plugin to log...";
}

// The user's choice: OPLEXA_PLUGIN stands for it, else the modal chooser, if there is a display.
bool choosePlugin(Session& session, juce::File& chosen)
{
    const std::string fromEnvironment = platform::environment("OPLEXA_PLUGIN");
    if (!fromEnvironment.empty())
    {
        chosen = juce::File::getCurrentWorkingDirectory().getChildFile(fromEnvironment);
        return true;
    }
    if (!platform::displayAvailable())
    {
        session.oxLogger.log("No display to show the plugin chooser on; set OPLEXA_PLUGIN to "
                             "the plugin to log");
        return false;
    }
    bool accepted = false;
    messageThread::call(
        [&]
        {
            juce::FileChooser chooser(chooserTitle(), session.lastDir, "*.so");
            accepted = chooser.browseForFileToOpen();
            if (accepted)
                chosen = chooser.getResult();
        });
    return accepted;
}

AEffect* failLoading(Session& session)
{
    freeVstPlugin(session);
    session.oxLogger.log(("Unloaded " + session.path).toRawUTF8());
    return nullptr;
}

// The hosted entry point, which may throw anything, types of its own included. The exception
// object may live in the hosted module: it is gone before the module is unloaded.
AEffect* callEntryPoint(Session& session, VstPluginMainProc pluginMain, const char* entryName)
{
    const platform::ResourceRef saved = platform::currentResources();
    platform::useResources(session.bundleRes);
    AEffect* effect = nullptr;
    juce::String caught;
    try
    {
        effect = pluginMain(proxyAudioMaster);
    }
    catch (const std::exception& exception)
    {
        caught = exception.what();
    }
    catch (...)
    {
        caught = "not a standard exception";
    }
    platform::useResources(saved);
    if (caught.isNotEmpty())
        session.oxLogger.log(
            ("Caught an exception in " + juce::String(entryName) + ": " + caught).toRawUTF8());
    return effect;
}
} // namespace

AEffect* loadVstPlugin(Session& session, audioMasterCallback audioMaster)
{
    session.vstAudioMaster = audioMaster;
    if (!session.lastDir.isDirectory())
        session.lastDir = juce::File::getSpecialLocation(juce::File::userHomeDirectory);

    juce::File chosen;
    if (!choosePlugin(session, chosen))
    {
        session.oxLogger.log("No plugin was selected");
        return nullptr;
    }
    session.lastDir = chosen.getParentDirectory();
    session.path = chosen.getFullPathName();
    session.oxLogger.moduleName = chosen.getFileName();
    startRecording(session);

    const char* entryName = "";
    const VstPluginMainProc pluginMain = getVstPluginMain(session, &entryName);
    if (pluginMain == nullptr)
    {
        session.oxLogger.log("Failed to get VST main function");
        return failLoading(session);
    }
    AEffect* effect = callEntryPoint(session, pluginMain, entryName);
    if (effect == nullptr)
        return failLoading(session);
    if (effect->magic != kEffectMagic)
    {
        session.oxLogger.log("Wrong Magic, probably not a VST plugin");
        return failLoading(session);
    }
    return effect;
}

VstPluginMainProc getVstPluginMain(Session& session, const char** entryName)
{
    session.vstBundle = platform::openModule(session.path.toRawUTF8());
    if (session.vstBundle == nullptr)
    {
        const std::string reason = platform::lastModuleError();
        session.oxLogger.log(
            ("Failed to load " + session.path + (reason.empty() ? "" : ": ") + reason.c_str())
                .toRawUTF8());
        return nullptr;
    }
    session.bundleRes = platform::openResources(session.vstBundle);
    return platform::findEntryPoint(session.vstBundle, entryName);
}

bool freeVstPlugin(Session& session)
{
    if (session.vstBundle == nullptr)
        return false;
    platform::closeResources(session.vstBundle, session.bundleRes);
    platform::closeModule(session.vstBundle);
    session.vstBundle = nullptr;
    return true;
}

void unloadPlugin(Session& session)
{
    if (freeVstPlugin(session))
        session.oxLogger.log(("Unloaded " + session.path).toRawUTF8());
}

void getModuleFileName()
{
    const std::string own = platform::ownModulePath();
    // The loader reports the path the host passed to dlopen, which may be relative.
    if (!own.empty())
        dllPath = juce::File::getCurrentWorkingDirectory().getChildFile(
            juce::String::fromUTF8(own.c_str()));
}
