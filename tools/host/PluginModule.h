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
    void release() { handle_ = nullptr; }

    bool isLoaded() const { return handle_ != nullptr; }
    const std::string& error() const { return error_; }
    const char* entryName() const { return entryName_; }

private:
    void* handle_ = nullptr;
    std::string error_;
    const char* entryName_ = nullptr;
};
} // namespace host
