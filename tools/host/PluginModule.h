// A VST 2 module loaded with dlopen, and its entry point.
#pragma once

#include "vst/VstInterface.h"

#include <string>

namespace host
{
class PluginModule
{
public:
    PluginModule() = default;
    PluginModule(const PluginModule&) = delete;
    PluginModule& operator=(const PluginModule&) = delete;
    ~PluginModule() { unload(); }

    // dlopen(RTLD_NOW | RTLD_LOCAL); on failure error() holds dlerror()'s text.
    bool load(const std::string& path);
    // Looks up "VSTPluginMain", then "main", then "main_macho"; null when none exists.
    VstPluginMainProc findEntryPoint();
    void unload();
    // Forgets the handle without dlclose, for modules that cannot be unloaded safely.
    void release() { handle = nullptr; }

    bool isLoaded() const { return handle != nullptr; }
    const std::string& error() const { return errorText; }
    const char* entryName() const { return entryPointName; }

private:
    void* handle = nullptr;
    std::string errorText;
    const char* entryPointName = nullptr;
};
} // namespace host
