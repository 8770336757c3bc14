#include "tests/support/TestFiles.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

TempFolder::TempFolder()
{
    char pattern[] = "/tmp/oplexa-test-XXXXXX";
    if (mkdtemp(pattern) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    folder = pattern;
}

TempFolder::~TempFolder()
{
    if (std::getenv("OPLEXA_KEEP_TEST_FILES") == nullptr)
        std::system(("rm -rf '" + folder + "'").c_str());
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> readLines(const std::string& path)
{
    std::vector<std::string> lines;
    std::istringstream in(readFile(path));
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

Pipe::Pipe()
{
    if (pipe(fds) != 0)
        throw std::runtime_error("pipe failed");
}

Pipe::~Pipe()
{
    closeEnd(0);
    closeEnd(1);
}

void Pipe::closeEnd(int end)
{
    if (fds[end] >= 0)
        close(fds[end]);
    fds[end] = -1;
}

std::string Pipe::readAll()
{
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<size_t>(n));
    return text;
}

namespace
{
VstIntPtr versionOnly(AEffect*, int32_t opcode, int32_t, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}
} // namespace

HostedModule hostModule(const std::string& path, audioMasterCallback audioMaster)
{
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    auto entry = handle != nullptr
                     ? reinterpret_cast<VstPluginMainProc>(dlsym(handle, "VSTPluginMain"))
                     : nullptr;
    AEffect* effect =
        entry != nullptr ? entry(audioMaster != nullptr ? audioMaster : versionOnly) : nullptr;
    return {handle, effect};
}

LoadedModule::LoadedModule(const std::string& path)
{
    handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr)
        throw std::runtime_error(dlerror());
}

LoadedModule::~LoadedModule()
{
    dlclose(handle);
}

void* LoadedModule::symbol(const char* name) const
{
    return dlsym(handle, name);
}

std::vector<std::string> readSettledLines(const std::string& path)
{
    std::vector<std::string> lines = readLines(path);
    for (int waited = 0; waited < 3000; waited += 20)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        std::vector<std::string> now = readLines(path);
        if (now == lines && waited >= 40)
            break;
        lines = std::move(now);
    }
    return lines;
}

std::string formatted(const char* format, ...)
{
    char buffer[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

long countOf(const std::vector<std::string>& lines, const std::string& line)
{
    return std::count(lines.begin(), lines.end(), line);
}

bool contains(const std::vector<std::string>& lines, const std::string& line)
{
    return countOf(lines, line) > 0;
}

size_t indexOf(const std::vector<std::string>& lines, const std::string& line)
{
    return static_cast<size_t>(std::find(lines.begin(), lines.end(), line) - lines.begin());
}
