// A host that holds many file copies of Oplexa.so at once, each hosting the same plug-in: each
// copy is a module of its own, and none may keep the next one, or the plug-in, from loading.
//   oplexa-module-copies-host PLUGIN MODULE...   (status 0 when every copy hosted PLUGIN)
#include "tests/support/TestFiles.h"

#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    if (argc < 3)
        return 1;
    const TempFolder folder;
    setenv("OPLEXA_LOG_FILE", folder.file("log.txt").c_str(), 1);
    setenv("OPLEXA_PLUGIN", argv[1], 1);
    std::vector<HostedModule> copies;
    for (int i = 2; i < argc; ++i)
    {
        const HostedModule copy = hostModule(argv[i]);
        if (copy.effect == nullptr)
        {
            const std::vector<std::string> log = readSettledLines(folder.file("log.txt"));
            std::printf("copy %d hosts nothing: %s\n", i - 1,
                        copy.handle != nullptr ? log.empty() ? "" : log.back().c_str() : dlerror());
            break;
        }
        copy.effect->dispatcher(copy.effect, effOpen, 0, 0, nullptr, 0.0f);
        copies.push_back(copy);
    }
    std::printf("%zu of %d copies hosted %s\n", copies.size(), argc - 2, argv[1]);
    for (auto copy = copies.rbegin(); copy != copies.rend(); ++copy)
    {
        copy->effect->dispatcher(copy->effect, effClose, 0, 0, nullptr, 0.0f);
        dlclose(copy->handle);
    }
    return copies.size() == static_cast<size_t>(argc - 2) ? 0 : 1;
}
