#include "bridge/PluginLoader.h"

#include "bridge/PathText.h"
#include "logger/CaughtText.h"
#include "logger/OXLogger.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// JUCE resolves a text path as before; one that is not valid UTF-8 keeps its bytes, which JUCE
// would lose.
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

namespace
{
juce::String chooserTitle(const std::string& dllPath)
{
    const std::string name = pathText::fileNameOf(dllPath);
    return pathText::printable(name.substr(0, name.rfind('.'))) +
           " - Please select the plugin to log...";
}

// OPLEXA_PLUGIN may list plug-ins separated by ':': the session started K-th takes the K-th,
// and the last one stands for every later session. An empty element (a doubled, leading or
// trailing ':') names nothing and is skipped, so that it costs no session its plug-in.
std::string pluginFromEnvironment(OXLogger& logger, int startOrder)
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
        logger.log("OPLEXA_PLUGIN has an empty element; it is skipped");
    if (list.empty())
        return {};
    return list[std::min(static_cast<size_t>(startOrder), list.size() - 1)];
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
bool browseForPlugin(const PluginLoader::Choice& choice, std::string& chosen)
{
    auto answer = std::make_shared<ChooserAnswer>();
    choice.messageThread.post(
        [answer, title = chooserTitle(choice.dllPath),
         folder = juce::File(juce::String::fromUTF8(choice.lastDir.c_str()))]
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
        if (!choice.messageThread.isRunning())
            return false;
    chosen = answer->file.getFullPathName().toStdString();
    return answer->file != juce::File();
}

// hostedPlugin="PATH" on the settings' Parameters, written by `oplexa wrap`.
std::string pluginFromSettings(const OXLogger& logger)
{
    const juce::var* named = logger.outputAttributes.getVarPointer("hostedPlugin");
    return named != nullptr ? named->toString().trim().toStdString() : std::string();
}

} // namespace

bool PluginLoader::choose(const Choice& choice, OXLogger& logger, std::string& chosen)
{
    if (!choice.wrapperPath.empty())
    {
        chosen = pluginFromSettings(logger);
        if (chosen.empty())
            logger.log("The wrapper's settings name no plugin to host (hostedPlugin)");
        else
            chosen = absolutePath(chosen);
        return !chosen.empty();
    }
    std::string named = pluginFromEnvironment(logger, choice.startOrder);
    if (named.empty())
        named = pluginFromSettings(logger);
    if (!named.empty())
    {
        chosen = absolutePath(named);
        return true;
    }
    if (!platform::displayAvailable())
    {
        logger.log("No display to show the plugin chooser on; set OPLEXA_PLUGIN to the plugin "
                   "to log");
        return false;
    }
    return browseForPlugin(choice, chosen);
}

AEffect* PluginLoader::failLoading(OXLogger& logger)
{
    freeVstPlugin();
    logger.log(("Unloaded " + pathText::printable(path)).toRawUTF8());
    return nullptr;
}

// The hosted entry point, which may throw anything, types of its own included. The exception
// object may live in the hosted module: it is gone before the module is unloaded.
AEffect* PluginLoader::callEntryPoint(OXLogger& logger, VstPluginMainProc pluginMain,
                                      const char* entryName, audioMasterCallback callback)
{
    const platform::ResourceRef saved = platform::currentResources();
    platform::useResources(bundleRes);
    AEffect* effect = nullptr;
    try
    {
        effect = pluginMain(callback);
    }
    catch (...)
    {
        logCaught(logger, entryName);
    }
    platform::useResources(saved);
    return effect;
}

AEffect* PluginLoader::load(OXLogger& logger, audioMasterCallback callback)
{
    const char* entryName = "";
    const VstPluginMainProc pluginMain = getVstPluginMain(logger, &entryName);
    if (pluginMain == nullptr && vstBundle != nullptr && platform::isOwnModule(vstBundle))
    {
        logger.log(("Oplexa can't host itself: " + pathText::printable(path)).toRawUTF8());
        return failLoading(logger);
    }
    if (pluginMain == nullptr)
    {
        logger.log("Failed to get VST main function");
        return failLoading(logger);
    }
    AEffect* effect = callEntryPoint(logger, pluginMain, entryName, callback);
    if (effect == nullptr)
        return failLoading(logger);
    if (effect->magic != kEffectMagic)
    {
        logger.log("Wrong Magic, probably not a VST plugin");
        return failLoading(logger);
    }
    return effect;
}

VstPluginMainProc PluginLoader::getVstPluginMain(OXLogger& logger, const char** entryName)
{
    vstBundle = platform::openModule(path.c_str());
    if (vstBundle == nullptr)
    {
        const std::string reason = platform::lastModuleError();
        logger.log(("Failed to load " + pathText::printable(path) + (reason.empty() ? "" : ": ") +
                    pathText::printable(reason))
                       .toRawUTF8());
        return nullptr;
    }
    bundleRes = platform::openResources(vstBundle);
    // This very module, under its own name or another path to it, is never hosted.
    if (platform::isOwnModule(vstBundle))
        return nullptr;
    return platform::findEntryPoint(vstBundle, entryName);
}

bool PluginLoader::freeVstPlugin()
{
    if (vstBundle == nullptr)
        return false;
    platform::closeResources(vstBundle, bundleRes);
    platform::closeModule(vstBundle);
    vstBundle = nullptr;
    return true;
}

void PluginLoader::unload(OXLogger& logger)
{
    if (freeVstPlugin())
        logger.log(("Unloaded " + pathText::printable(path)).toRawUTF8());
}
