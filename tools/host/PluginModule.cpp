#include "tools/host/PluginModule.h"

#include <dlfcn.h>

namespace host
{
bool PluginModule::load(const std::string& path)
{
    unload();
    dlerror();
    handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr)
    {
        const char* reason = dlerror();
        errorText = reason != nullptr ? reason : "unknown dlopen failure";
        return false;
    }
    return true;
}

VstPluginMainProc PluginModule::findEntryPoint()
{
    if (handle == nullptr)
        return nullptr;
    for (const char* name : {"VSTPluginMain", "main", "main_macho"})
    {
        if (void* symbol = dlsym(handle, name))
        {
            entryPointName = name;
            return reinterpret_cast<VstPluginMainProc>(symbol);
        }
    }
    entryPointName = nullptr;
    return nullptr;
}

void PluginModule::unload()
{
    if (handle != nullptr)
        dlclose(handle);
    handle = nullptr;
}
} // namespace host
