// Choosing, loading and releasing the hosted plug-in. Runs on the thread that called
// main_macho or dispatched "Close"; only the chooser itself runs on the message thread.
#include "bridge/PluginLoader.h"

#include "bridge/CallbackPool.h"
#include "bridge/MessageThread.h"
#include "bridge/PathText.h"
#include "bridge/Recorder.h"
#include "bridge/Session.h"
#include "logger/CaughtText.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

std::string dllPath;

namespace
{
juce::String chooserTitle()
{
    const std::string name = pathText::fileNameOf(dllPath);
    return pathText::printable(name.substr(0, name.rfind('.'))) +
           " - Please select the plugin to log...";
}

// OPLEXA_PLUGIN may list plug-ins separated by ':': the session started K-th takes the K-th,
// and the last one stands for every later session. An empty element (a doubled, leading or
// trailing ':') names nothing and is skipped, so that it costs no session its plug-in.
std::string pluginFromEnvironment(Session& session)
{
    const std::string value = platform::environment("OPLEXA_PLUGIN");
    std::vector<std::string> list;
    bool emptyElement = false;
    for (size_t start = 0; !value.empty() && start <= value.size();)
    {
        const size_t end = std::min(value.find(':', start), value.size());
        if (end == start)
            emptyElement = true;
        else
            list.push_back(value.substr(start, end - start));
        start = end + 1;
    }
    if (emptyElement)
        session.oxLogger.log("OPLEXA_PLUGIN has an empty element; it is skipped");
    if (list.empty())
        return {};
    return list[std::min(static_cast<size_t>(session.startOrder), list.size() - 1)];
}

// A path made absolute against the working folder. JUCE resolves a text path as before; one that
// is not valid UTF-8 keeps its bytes, which JUCE would lose.
std::string absolutePath(const std::string& path)
{
    const std::string workingFolder = platform::workingFolder();
    if (!pathText::isValidUtf8(path) || !pathText::isValidUtf8(workingFolder))
        return path[0] == '/' ? path : workingFolder + "/" + path;
    return juce::File(juce::String::fromUTF8(workingFolder.c_str()))
        .getChildFile(juce::String::fromUTF8(path.c_str()))
        .getFullPathName()
        .toStdString();
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
bool browseForPlugin(Session& session, std::string& chosen)
{
    auto answer = std::make_shared<ChooserAnswer>();
    messageThread::post(
        [answer, title = chooserTitle(),
         folder = juce::File(juce::String::fromUTF8(session.lastDir.c_str()))]
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
    chosen = answer->file.getFullPathName().toStdString();
    return answer->file != juce::File();
}

// hostedPlugin="PATH" on the settings' Parameters, written by `oplexa wrap`.
std::string pluginFromSettings(const Session& session)
{
    const juce::var* named = session.oxLogger.outputAttributes.getVarPointer("hostedPlugin");
    return named != nullptr ? named->toString().trim().toStdString() : std::string();
}

// A wrapper hosts the plug-in its settings name. For the module itself OPLEXA_PLUGIN stands for
// the user's choice, else the settings' hostedPlugin, else the chooser, if there is a display.
bool choosePlugin(Session& session, std::string& chosen)
{
    const juce::var* tag = session.oxLogger.outputAttributes.getVarPointer("tag");
    session.tagged =
        !session.wrapperPath.empty() && tag != nullptr && tag->toString().trim() == "1";
    if (!session.wrapperPath.empty())
    {
        chosen = pluginFromSettings(session);
        if (chosen.empty())
            session.oxLogger.log("The wrapper's settings name no plugin to host (hostedPlugin)");
        else
            chosen = absolutePath(chosen);
        return !chosen.empty();
    }
    std::string named = pluginFromEnvironment(session);
    if (named.empty())
        named = pluginFromSettings(session);
    if (!named.empty())
    {
        chosen = absolutePath(named);
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
    session.oxLogger.log(("Unloaded " + pathText::printable(session.path)).toRawUTF8());
    return nullptr;
}

// The hosted entry point, which may throw anything, types of its own included. The exception
// object may live in the hosted module: it is gone before the module is unloaded.
AEffect* callEntryPoint(Session& session, VstPluginMainProc pluginMain, const char* entryName)
{
    const platform::ResourceRef saved = platform::currentResources();
    platform::useResources(session.bundleRes);
    AEffect* effect = nullptr;
    try
    {
        effect = pluginMain(callbackPool::function(session.callback));
    }
    catch (...)
    {
        logCaught(session.oxLogger, entryName);
    }
    platform::useResources(saved);
    return effect;
}
} // namespace

AEffect* loadVstPlugin(Session& session, audioMasterCallback audioMaster)
{
    session.vstAudioMaster = audioMaster;
    if (!platform::isFolder(session.lastDir))
        session.lastDir = juce::File::getSpecialLocation(juce::File::userHomeDirectory)
                              .getFullPathName()
                              .toStdString();

    std::string chosen;
    if (!choosePlugin(session, chosen))
    {
        session.oxLogger.log("No plugin was selected");
        return nullptr;
    }
    session.lastDir = pathText::folderOf(chosen);
    session.path = chosen;
    // A wrapper's lines carry the wrapper's name, the module's the plug-in's.
    if (session.wrapperPath.empty())
        session.oxLogger.moduleName =
            pathText::printable(pathText::fileNameOf(chosen)) + session.nameSuffix();
    startRecording(session);

    const char* entryName = "";
    const VstPluginMainProc pluginMain = getVstPluginMain(session, &entryName);
    if (pluginMain == nullptr && session.vstBundle != nullptr &&
        platform::isOwnModule(session.vstBundle))
    {
        session.oxLogger.log(
            ("Oplexa can't host itself: " + pathText::printable(session.path)).toRawUTF8());
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
    session.vstBundle = platform::openModule(session.path.c_str());
    if (session.vstBundle == nullptr)
    {
        const std::string reason = platform::lastModuleError();
        session.oxLogger.log(("Failed to load " + pathText::printable(session.path) +
                              (reason.empty() ? "" : ": ") + pathText::printable(reason))
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
        session.oxLogger.log(("Unloaded " + pathText::printable(session.path)).toRawUTF8());
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
                       // The loader reports the path the host passed to dlopen, which may be
                       // relative.
                       const std::string own = platform::ownModulePath();
                       if (!own.empty())
                           dllPath = absolutePath(own);
                   });
}
