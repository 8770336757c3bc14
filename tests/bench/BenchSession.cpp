#include "tests/bench/BenchSession.h"

#include "bridge/SettingsFile.h"
#include "logger/OXLogger.h"
#include "vst/VstStructures.h"

#include <cmath>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
constexpr float kSampleRate = 44100.0f;

VstIntPtr benchHost(AEffect*, int32_t opcode, int32_t, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

void* openModule(const std::string& path)
{
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr)
        throw std::runtime_error(dlerror());
    return handle;
}

AEffect* startPlugin(void* handle, const std::string& name)
{
    auto entry = reinterpret_cast<VstPluginMainProc>(dlsym(handle, "VSTPluginMain"));
    AEffect* effect = entry != nullptr ? entry(benchHost) : nullptr;
    if (effect == nullptr)
        throw std::runtime_error(name + " returned no plug-in");
    effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);
    effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, kSampleRate);
    effect->dispatcher(effect, effSetBlockSize, 0, BenchAudio::kFrames, nullptr, 0.0f);
    effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
    return effect;
}

void closePlugin(AEffect* effect)
{
    if (effect == nullptr)
        return;
    effect->dispatcher(effect, effMainsChanged, 0, 0, nullptr, 0.0f);
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
}

// Written by the project's own settings writer, so the layout is the one the module reads.
void writeSwitches(const std::string& file, const std::string& folder, bool loggingOn, bool decode,
                   bool directWrites, bool checkRules = false)
{
    OXLogger logger;
    if (checkRules)
        logger.checkRules = "1";
    if (directWrites)
        logger.outputAttributes.set("logWrites", "direct");
    logger.decodeStructures = decode;
    logger.setVstOpCodesEnabled(loggingOn);
    // Return lines on in both cases: with them off the return reports skip the switch test.
    logger.logParameters = true;
    logger.logReturnParameters = true;
    logger.logTime = false;
    if (!writeSettings(juce::File(file), folder, logger))
        throw std::runtime_error("cannot write " + file);
}

bool isRegularFile(const std::string& path)
{
    struct stat info
    {
    };
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string readText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
} // namespace

BenchAudio::BenchAudio() : inputs{input[0], input[1]}, outputs{output[0], output[1]}
{
    for (int frame = 0; frame < kFrames; ++frame)
    {
        const float sample = 0.5f * std::sin(static_cast<float>(frame) * 0.1f);
        input[0][frame] = sample;
        input[1][frame] = -sample;
        output[0][frame] = output[1][frame] = 0.0f;
    }
}

BenchSession::BenchSession(bool logging, const std::string& logFile, bool decoding,
                           bool directWrites, const std::string& comparedModule, bool checkRules)
    : loggingOn(logging), decode(decoding)
{
    char pattern[] = "/tmp/oplexa-bench-XXXXXX";
    if (mkdtemp(pattern) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    folder = pattern;
    log = logFile.empty() ? folder + "/log.txt" : logFile;
    try
    {
        const std::string module = folder + "/Oplexa.so";
        if (symlink(OPLEXA_MODULE_PATH, module.c_str()) != 0)
            throw std::runtime_error("cannot link " + module);
        writeSwitches(folder + "/Oplexa.xml", folder, loggingOn, decode, directWrites, checkRules);
        setenv("OPLEXA_LOG_FILE", log.c_str(), 1);
        setenv("OPLEXA_PLUGIN", OPLEXA_DEMO_PATH, 1);
        // The window and its refresh are measured elsewhere.
        unsetenv("DISPLAY");

        oplexaHandle = openModule(module);
        proxy = startPlugin(oplexaHandle, "Oplexa.so");
        if (!comparedModule.empty())
        {
            // A file of its own, or the loader would hand back the module already loaded.
            const std::string other = folder + "/OplexaCompared.so";
            if (symlink(comparedModule.c_str(), other.c_str()) != 0)
                throw std::runtime_error("cannot link " + other);
            writeSwitches(folder + "/OplexaCompared.xml", folder, loggingOn, decode, directWrites);
            comparedHandle = openModule(other);
            compared = startPlugin(comparedHandle, comparedModule);
        }
        // Oplexa has the demo loaded now; this is the same loaded module, a second instance.
        demoHandle = openModule(OPLEXA_DEMO_PATH);
        plain = startPlugin(demoHandle, "the demo plug-in");
    }
    catch (...)
    {
        release();
        throw;
    }
}

BenchSession::~BenchSession()
{
    release();
}

void BenchSession::release()
{
    closePlugin(plain);
    closePlugin(compared);
    closePlugin(proxy);
    plain = compared = proxy = nullptr;
    for (void* handle : {demoHandle, comparedHandle, oplexaHandle})
        if (handle != nullptr)
            dlclose(handle);
    demoHandle = comparedHandle = oplexaHandle = nullptr;
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

std::string BenchSession::checkLogging()
{
    BenchAudio audio;
    proxy->processReplacing(proxy, audio.inputs, audio.outputs, BenchAudio::kFrames);
    proxy->getParameter(proxy, 0);
    proxy->dispatcher(proxy, effGetVendorVersion, 0, 0, nullptr, 0.0f);
    VstEvents none{};
    proxy->dispatcher(proxy, effProcessEvents, 0, 0, &none, 0.0f);
    // Close writes what the queue holds before it returns.
    closePlugin(proxy);
    proxy = nullptr;
    proxy = startPlugin(oplexaHandle, "Oplexa.so");
    if (!isRegularFile(log))
        return {};
    if ((readText(log).find("  events: 0") != std::string::npos) != (loggingOn && decode))
        return "the log's decoded events do not follow the decode switch (" + log + ")";

    const std::string text = readText(log);
    const char* expected[] = {"processReplacing(inputs:", "getParameter(index: 0)",
                              "getParameter returned", "effGetVendorVersion returned version="};
    for (const char* line : expected)
    {
        const bool found = text.find(line) != std::string::npos;
        if (found != loggingOn)
            return std::string("the log ") + (found ? "has" : "lacks") + " \"" + line +
                   "\" although logging is " + (loggingOn ? "on" : "stopped") + " (" + log + ")";
    }
    return {};
}
