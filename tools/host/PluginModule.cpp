#include "tools/host/PluginModule.h"

#include <dlfcn.h>

namespace host
{
bool PluginModule::load(const std::string& path)
{
    unload();
    dlerror();
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr)
    {
        const char* reason = dlerror();
        error_ = reason != nullptr ? reason : "unknown dlopen failure";
        return false;
    }
    return true;
}

VstPluginMainProc PluginModule::findEntryPoint()
{
    if (handle_ == nullptr)
        return nullptr;
    for (const char* name : {"VSTPluginMain", "main", "main_macho"})
    {
        if (void* symbol = dlsym(handle_, name))
        {
            entryName_ = name;
            return reinterpret_cast<VstPluginMainProc>(symbol);
        }
    }
    entryName_ = nullptr;
    return nullptr;
}

void PluginModule::unload()
{
    if (handle_ != nullptr)
        dlclose(handle_);
    handle_ = nullptr;
}
} // namespace host
