#include "tests/support/OplexaUnderTest.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <stdexcept>
#include <unistd.h>

namespace
{
std::mutex hostMutex;
std::vector<HostCall> hostCalls;
std::map<int32_t, VstIntPtr> hostAnswers{{audioMasterVersion, 2400}};
} // namespace

VstIntPtr TestHost::audioMaster(AEffect* effect, int32_t opcode, int32_t index, VstIntPtr value,
                                void* ptr, float opt)
{
    std::lock_guard<std::mutex> lock(hostMutex);
    hostCalls.push_back(
        {effect, opcode, index, value, ptr, opt, effect != nullptr ? effect->initialDelay : -1});
    const auto answer = hostAnswers.find(opcode);
    return answer != hostAnswers.end() ? answer->second : 0;
}

std::vector<HostCall> TestHost::calls()
{
    std::lock_guard<std::mutex> lock(hostMutex);
    return hostCalls;
}

void TestHost::answer(int32_t opcode, VstIntPtr result)
{
    std::lock_guard<std::mutex> lock(hostMutex);
    hostAnswers[opcode] = result;
}

OplexaUnderTest::OplexaUnderTest(const std::string& plugin, const std::string& moduleName)
{
    module = temp.file(moduleName);
    if (symlink(OPLEXA_MODULE_PATH, module.c_str()) != 0)
        throw std::runtime_error("cannot link " + module);
    setenv("OPLEXA_LOG_FILE", temp.file("log.txt").c_str(), 1);
    unsetenv("DISPLAY");
    setPlugin(plugin);
    loaded = std::make_unique<LoadedModule>(module);
    entry = reinterpret_cast<VstPluginMainProc>(loaded->symbol("VSTPluginMain"));
}

OplexaUnderTest::~OplexaUnderTest() = default;

void OplexaUnderTest::setPlugin(const std::string& plugin)
{
    if (plugin.empty())
        unsetenv("OPLEXA_PLUGIN");
    else
        setenv("OPLEXA_PLUGIN", plugin.c_str(), 1);
}

AEffect* OplexaUnderTest::start()
{
    return entry(TestHost::audioMaster);
}

AEffect* OplexaUnderTest::startOrThrow()
{
    AEffect* proxy = start();
    if (proxy == nullptr)
        throw std::runtime_error("the entry point returned null");
    return proxy;
}

void OplexaUnderTest::writeParameters(const std::string& attributes) const
{
    std::remove(settingsFile().c_str());
    std::ofstream(settingsFile()) << "<Oplexa><Logger><Parameters " << attributes
                                  << "/></Logger></Oplexa>";
}

std::vector<std::string> OplexaUnderTest::lines() const
{
    return readSettledLines(temp.file("log.txt"));
}

std::vector<std::string> OplexaUnderTest::messages() const
{
    std::vector<std::string> result;
    for (const std::string& line : lines())
        result.push_back(messageOf(line));
    return result;
}

std::string OplexaUnderTest::settingsFile() const
{
    const auto dot = module.find_last_of('.');
    return module.substr(0, dot) + ".xml";
}

std::string messageOf(const std::string& line)
{
    const auto close = line.find(") ");
    if (close == std::string::npos)
        return line;
    const auto colon = line.find(':', close);
    return colon == std::string::npos ? line : line.substr(colon + 1);
}
