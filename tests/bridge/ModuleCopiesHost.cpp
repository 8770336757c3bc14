// A host that holds many file copies of Oplexa.so at once, each hosting the same plug-in: each
// copy is a module of its own, and none may keep the next one, or the plug-in, from loading.
//   oplexa-module-copies-host PLUGIN MODULE...   (status 0 when every copy hosted PLUGIN)
#include "tests/support/TestFiles.h"
#include "vst/VstInterface.h"

#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <string>
#include <utility>
#include <vector>

namespace
{
VstIntPtr audioMaster(AEffect*, int32_t opcode, int32_t, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return 1;
    const TempFolder folder;
    setenv("OPLEXA_LOG_FILE", folder.file("log.txt").c_str(), 1);
    setenv("OPLEXA_PLUGIN", argv[1], 1);
    std::vector<std::pair<void*, AEffect*>> copies;
    for (int i = 2; i < argc; ++i)
    {
        void* handle = dlopen(argv[i], RTLD_NOW | RTLD_LOCAL);
        auto entry = handle != nullptr
                         ? reinterpret_cast<VstPluginMainProc>(dlsym(handle, "VSTPluginMain"))
                         : nullptr;
        AEffect* effect = entry != nullptr ? entry(audioMaster) : nullptr;
        if (effect == nullptr)
        {
            const std::vector<std::string> log = readSettledLines(folder.file("log.txt"));
            std::printf("copy %d hosts nothing: %s\n", i - 1,
                        handle != nullptr ? log.empty() ? "" : log.back().c_str() : dlerror());
            break;
        }
        effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);
        copies.emplace_back(handle, effect);
    }
    std::printf("%zu of %d copies hosted %s\n", copies.size(), argc - 2, argv[1]);
    for (auto copy = copies.rbegin(); copy != copies.rend(); ++copy)
    {
        copy->second->dispatcher(copy->second, effClose, 0, 0, nullptr, 0.0f);
        dlclose(copy->first);
    }
    return copies.size() == static_cast<size_t>(argc - 2) ? 0 : 1;
}
