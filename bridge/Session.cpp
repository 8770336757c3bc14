#include "bridge/Session.h"

#include "bridge/CallNames.h"
#include "bridge/CallbackPool.h"
#include "bridge/LiveCheck.h"
#include "bridge/NameTag.h"
#include "bridge/PathText.h"
#include "bridge/Process.h"
#include "bridge/SettingsFile.h"
#include "logger/CaughtText.h"
#include "logger/LogSink.h"

#include <mutex>

namespace
{
// How long Close waits for host calls still inside the plug-in.
constexpr int kCloseWaitMs = 2000;

juce::String callName(int32_t call)
{
    LineBuffer line;
    appendCallName(line, call);
    return line.c_str();
}

// Names both files while the one read is not the one that will be written.
juce::String settingsLine(const SettingsFiles& settings)
{
    juce::String line = "Settings file " + settings.write.getFullPathName();
    if (settings.read != settings.write)
        line << " (read from " << settings.read.getFullPathName() << ")";
    return line;
}

// The log's destination is the process's, chosen by the first session's settings; a wrapper
// whose own settings name another one says where its lines go instead.
juce::String logDestinationLine(const OXLogger& logger, const std::string& wrapperPath,
                                const SettingsFiles& settings)
{
    const juce::String destination(logDestination());
    const juce::String named(logger.namedDestination(settings.read.getParentDirectory()));
    if (wrapperPath.empty() || named == destination)
        return "Log lines go to " + destination;
    return "Log lines go to " + destination + ", as the first session chose; this session's " +
           "settings name " + named;
}
} // namespace

Session::Session()
{
    gate.owner = this;
    proxyEffect.session = this;
    clearProxy(proxyEffect);
}

juce::String Session::nameSuffix() const
{
    return instance > 1 ? "#" + juce::String(instance) : juce::String();
}

const std::string& Session::modulePath() const
{
    return wrapperPath.empty() ? Process::get().dllPath : wrapperPath;
}

SettingsFiles Session::settingsFiles(const std::string& wrapper)
{
    return settingsFilesFor(
        wrapper.empty() ? Process::get().dllPath : wrapper,
        juce::File(juce::String::fromUTF8(platform::userConfigFolder().c_str())));
}

bool Session::singleInstanceWanted(const std::string& wrapper)
{
    // One logger kept for this: destroying a logger reads JUCE's current one, which the first
    // session sets.
    Process& process = Process::get();
    OXLogger& settings = process.settingsProbe;
    const std::lock_guard<std::mutex> lock(process.settingsProbeMutex);
    settings.outputAttributes.clear();
    std::string ignored;
    readSettings(settingsFiles(wrapper).read, ignored, settings);
    const juce::var* single = settings.outputAttributes.getVarPointer("singleInstance");
    return single != nullptr && single->toString().trim() == "1";
}

AEffect* Session::start(audioMasterCallback audioMaster)
{
    callStuck = false;
    clearProxy(proxyEffect);
    callGate::reopen(gate);
    startOplexa();
    liveCheck::begin(checking, checker, checkNumbering, oxLogger,
                     oxLogger.checkRules.trim() == "1");
    if (callbackOfClosed)
        oxLogger.log(("Reusing the callback of a closed instance: more than " +
                      juce::String(callbackPool::kCallbacks) + " instances were started")
                         .toRawUTF8());
    lateCallbackSaid = false;
    callbacksEnded = false;
    AEffect* hosted = loadVstPlugin(audioMaster);
    if (hosted == nullptr)
    {
        callbacksEnded = true;
        takeDown(true);
        return nullptr;
    }
    recorder.pluginStarted(*hosted);
    if (checking.load(std::memory_order_relaxed))
        liveCheck::pluginStarted(checkNumbering, *hosted);
    proxyEffect.idMask = tagged ? kTaggedIdMask : 0;
    fillProxy(proxyEffect, *hosted);
    vstEffect = hosted;
    window.open(
        proxyEffect, oxLogger, checking.load(std::memory_order_relaxed) ? &checker : nullptr,
        [this] { return settingsText(lastDir, oxLogger); }, [this] { writeSettingsNow(); });
    return &proxyEffect;
}

void Session::startOplexa()
{
    Process& process = Process::get();
    process.loggedLast(oxLogger);
    oxLogger.init(pathText::printable(pathText::fileNameOf(modulePath())) + nameSuffix(), false);
    // The settings name where the log goes, so they are read before the first line; the start
    // lines still go out as before the settings applied, without the time of day.
    const SettingsFiles settings = settingsFiles(wrapperPath);
    {
        const std::lock_guard<std::mutex> lock(settingsMutex);
        settingsOnDisk = readSettings(settings.read, lastDir, oxLogger);
    }
    process.startLogOutput(oxLogger, settings.read.getParentDirectory());
    const bool logTime = oxLogger.logTime.exchange(false);
    oxLogger.log(("Oplexa - " + pathText::printable(process.dllPath)).toRawUTF8());
    oxLogger.log(juce::Time::getCurrentTime().toString(true, true, true, false).toRawUTF8());
    if (settings.write != juce::File())
        oxLogger.log(settingsLine(settings).toRawUTF8());
    oxLogger.log(logDestinationLine(oxLogger, wrapperPath, settings).toRawUTF8());
    oxLogger.logTime = logTime;
}

AEffect* Session::loadVstPlugin(audioMasterCallback audioMaster)
{
    vstAudioMaster = audioMaster;
    if (!platform::isFolder(lastDir))
        lastDir = juce::File::getSpecialLocation(juce::File::userHomeDirectory)
                      .getFullPathName()
                      .toStdString();
    const juce::var* tag = oxLogger.outputAttributes.getVarPointer("tag");
    tagged = !wrapperPath.empty() && tag != nullptr && tag->toString().trim() == "1";
    std::string chosen;
    Process& process = Process::get();
    if (!PluginLoader::choose(
            {wrapperPath, startOrder, lastDir, process.dllPath, process.messageThread}, oxLogger,
            chosen))
    {
        oxLogger.log("No plugin was selected");
        return nullptr;
    }
    lastDir = pathText::folderOf(chosen);
    module.path = chosen;
    // A wrapper's lines carry the wrapper's name, the module's the plug-in's.
    if (wrapperPath.empty())
        oxLogger.moduleName = pathText::printable(pathText::fileNameOf(chosen)) + nameSuffix();
    startRecording();
    return module.load(oxLogger, callbackPool::function(callback));
}

void Session::startRecording()
{
    std::string folder = platform::environment("OPLEXA_RECORD");
    if (folder.empty())
        folder = oxLogger.recordFolder.toStdString();
    if (folder.empty())
        return;
    liveCheck::countOutputs(recorder,
                            checking.load(std::memory_order_relaxed) ? &checkNumbering : nullptr);
    recorder.start(oxLogger, folder, module.path, instance,
                   oxLogger.recordOutputs.equalsIgnoreCase("full"),
                   oxLogger.recordWhenFull.equalsIgnoreCase("wait"));
}

void Session::writeSettingsNow()
{
    const juce::File settings = settingsFiles(wrapperPath).write;
    const std::lock_guard<std::mutex> lock(settingsMutex);
    const juce::String text = settingsText(lastDir, oxLogger);
    std::string bytes(text.toRawUTF8(), text.getNumBytesAsUTF8());
    // Unchanged since this session read or wrote it: another session's later write stays.
    if (bytes == settingsOnDisk && settings.existsAsFile())
        return;
    const juce::File written = writeSettingsText(settings, text);
    if (written == juce::File())
    {
        oxLogger.log(("Failed to write logger state to " + settings.getFullPathName()).toRawUTF8());
        return;
    }
    settingsOnDisk = std::move(bytes);
    // The rename is done; reaching the disk is not this thread's wait.
    platform::flushToDiskLater(Process::get().flushes, written.getFullPathName().toRawUTF8());
}

void Session::takeDown(bool unload)
{
    recorder.stop(true);
    // Written while the window and the hosted module still exist.
    writeSettingsNow();
    window.close(oxLogger);
    if (unload)
        module.unload(oxLogger);
}

void Session::beforeClose() noexcept
{
    {
        const std::lock_guard<std::timed_mutex> lock(Process::get().lifecycle);
        state = State::closing;
    }
    int32_t stuck = 0;
    if (!callGate::shut(gate, true, kCloseWaitMs, stuck))
    {
        callStuck = true;
        Process::get().keepLoadedForStuckCall();
        try
        {
            oxLogger.log(("Still inside " + callName(stuck) + " after 2 seconds at Close; " +
                          module.path + " stays loaded")
                             .toRawUTF8());
        }
        catch (...)
        {
            logCaught(oxLogger, "Session::beforeClose");
        }
    }
}

void Session::afterClose() noexcept
{
    // Nothing may reach the released record once shutdown starts unloading it, nor the host
    // through a callback of the closed plug-in.
    vstEffect = nullptr;
    vstAudioMaster = nullptr;
    callbacksEnded = true;
    try
    {
        takeDown(!callStuck);
    }
    catch (...)
    {
        logCaught(oxLogger, "Session::afterClose");
    }
    clearProxy(proxyEffect);
    {
        const std::lock_guard<std::timed_mutex> lock(Process::get().lifecycle);
        retire();
    }
    // The last session stops the shared parts, which writes the log's last lines.
    Process::get().releaseParts();
}

void Session::endWithoutClose(platform::Ending ending) noexcept
{
    state = State::closing;
    try
    {
        if (ending == platform::Ending::exit)
        {
            // The process is ending: the plug-in's code may still run on other threads, and
            // host threads may still call the proxy, so the plug-in stays as it is.
            recorder.stop(false);
            writeSettingsNow();
            window.close(oxLogger);
            return;
        }
        // Unloaded without Close: the plug-in gets Close, so that threads of its own stop.
        AEffect* hosted = vstEffect.load();
        int32_t stuck = 0;
        if (!callGate::shut(gate, false, kCloseWaitMs, stuck))
        {
            callStuck = true;
            oxLogger.log(("Still inside " + callName(stuck) + " after 2 seconds at Close; " +
                          module.path + " stays loaded")
                             .toRawUTF8());
        }
        if (hosted != nullptr && hosted->dispatcher != nullptr)
        {
            oxLogger.log("Oplexa sends effClose: the host unloads Oplexa without closing the "
                         "plugin");
            hosted->dispatcher(hosted, effClose, 0, 0, nullptr, 0.0f);
        }
        vstEffect = nullptr;
        callbacksEnded = true;
        takeDown(!callStuck);
        clearProxy(proxyEffect);
    }
    catch (...)
    {
        logCaught(oxLogger, "Session::endWithoutClose");
    }
    retire();
}

void Session::abandonStart() noexcept
{
    vstEffect = nullptr;
    callbacksEnded = true;
    try
    {
        takeDown(true);
    }
    catch (...)
    {
        logCaught(oxLogger, "Session::abandonStart");
    }
    clearProxy(proxyEffect);
}

void Session::retire() noexcept
{
    state = State::idle;
    endOrder = ++Process::get().endsSoFar;
}
