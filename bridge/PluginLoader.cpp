// Choosing, loading and releasing the hosted plug-in. Runs on the thread that called
// main_macho or dispatched "Close"; only the chooser itself runs on the message thread.
#include "bridge/PluginLoader.h"

#include "bridge/Forwarders.h"
#include "bridge/MessageThread.h"
#include "bridge/Recorder.h"
#include "bridge/Session.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <condition_variable>
#include <memory>
#include <mutex>

juce::File dllPath;

namespace
{
juce::String chooserTitle()
{
    return dllPath.getFileNameWithoutExtension() + " - Please select the plugin to log...";
}

// OPLEXA_PLUGIN may list plug-ins separated by ':': the session started K-th takes the K-th,
// and the last one stands for every later session.
juce::String pluginFromEnvironment(const Session& session)
{
    const juce::StringArray list = juce::StringArray::fromTokens(
        juce::String::fromUTF8(platform::environment("OPLEXA_PLUGIN").c_str()), ":", "");
    if (list.isEmpty())
        return {};
    return list[std::min(session.startOrder, list.size() - 1)];
}

// The answer of one session's chooser, handed from the message thread to the session's own.
struct ChooserAnswer
{
    std::mutex mutex;
    std::condition_variable answered;
    bool done = false;
    juce::File file;
};

// Each session's chooser runs on the message thread without a modal loop of its own, so that
// several sessions can choose at once; each entry call waits for its own answer only, and gives
// up when the message thread stops (the host is going).
bool browseForPlugin(Session& session, juce::File& chosen)
{
    auto answer = std::make_shared<ChooserAnswer>();
    messageThread::post(
        [answer, title = chooserTitle(), folder = session.lastDir]
        {
            auto chooser = std::make_shared<juce::FileChooser>(title, folder, "*.so");
            chooser->launchAsync(
                juce::FileBrowserComponent::openMode | juce::FileBrowserComponent::canSelectFiles,
                [answer, chooser](const juce::FileChooser& done) mutable
                {
                    {
                        const std::lock_guard<std::mutex> lock(answer->mutex);
                        answer->file = done.getResult();
                        answer->done = true;
                    }
                    answer->answered.notify_all();
                    // Released after this callback, by the message loop.
                    juce::MessageManager::callAsync([keep = std::move(chooser)] {});
                });
        });
    std::unique_lock<std::mutex> lock(answer->mutex);
    while (!answer->answered.wait_for(lock, std::chrono::milliseconds(100),
                                      [&] { return answer->done; }))
        if (!messageThread::isRunning())
            return false;
    chosen = answer->file;
    return chosen != juce::File();
}

// The user's choice: OPLEXA_PLUGIN stands for it, else the chooser, if there is a display.
bool choosePlugin(Session& session, juce::File& chosen)
{
    const juce::String fromEnvironment = pluginFromEnvironment(session);
    if (fromEnvironment.isNotEmpty())
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
    return browseForPlugin(session, chosen);
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
    session.oxLogger.moduleName = chosen.getFileName() + session.nameSuffix();
    startRecording(session);

    const char* entryName = "";
    const VstPluginMainProc pluginMain = getVstPluginMain(session, &entryName);
    if (pluginMain == nullptr && session.vstBundle != nullptr &&
        platform::isOwnModule(session.vstBundle))
    {
        session.oxLogger.log(("Oplexa can't host itself: " + session.path).toRawUTF8());
        return failLoading(session);
    }
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
    // This very module, under its own name or another path to it, is never hosted.
    if (platform::isOwnModule(session.vstBundle))
        return nullptr;
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
    // Found once, outside the registry's lock (dladdr takes the loader's, which a host that
    // unloads Oplexa holds while Oplexa's ending waits for the registry's): sessions read it
    // without a lock afterwards.
    static std::once_flag found;
    std::call_once(found,
                   []
                   {
                       const std::string own = platform::ownModulePath();
                       // The loader reports the path the host passed to dlopen, which may be
                       // relative.
                       if (!own.empty())
                           dllPath = juce::File::getCurrentWorkingDirectory().getChildFile(
                               juce::String::fromUTF8(own.c_str()));
                   });
}
