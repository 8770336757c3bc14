// A wrapper: the small module `oplexa wrap` copies beside a plug-in's name. The host loads it as
// that plug-in; it loads Oplexa.so and starts a session named after itself, which hosts the
// plug-in its settings file names. Only the C library: the wrapper stays a few kilobytes, and
// Oplexa itself is loaded once per process however many wrappers the host loads.
#include "tools/wrapper/SettingsAttributes.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>

namespace
{
using WrapperMain = AEffect* (*)(audioMasterCallback, const char*);
using WrapperUnloading = void (*)(const char*);

// What the wrapper's unloading tells the Oplexa.so that hosts its sessions, found at the entry.
WrapperUnloading oplexaUnloading = nullptr;
char ownPath[PATH_MAX] = "";

bool isFile(const char* path)
{
    return path[0] != '\0' && access(path, R_OK) == 0;
}

// The wrapper's settings keep the absolute path of the Oplexa.so it was made with; when that
// file is gone, the first Oplexa.so where Linux hosts look for VST 2 plug-ins stands in.
bool findOplexa(const char* named, char (&found)[PATH_MAX])
{
    if (isFile(named))
    {
        std::snprintf(found, sizeof found, "%s", named);
        return true;
    }
    const char* home = std::getenv("HOME");
    const char* const folders[] = {"/usr/lib/vst", "/usr/local/lib/vst", nullptr};
    for (const char* const* folder = folders; *folder != nullptr; ++folder)
    {
        std::snprintf(found, sizeof found, "%s/Oplexa.so", *folder);
        if (isFile(found))
            return true;
    }
    if (home != nullptr && home[0] == '/')
    {
        std::snprintf(found, sizeof found, "%s/.vst/Oplexa.so", home);
        if (isFile(found))
            return true;
    }
    return false;
}

AEffect* missing(const char* wrapper, const char* what, const char* path, const char* detail)
{
    std::fprintf(stderr, "Oplexa wrapper %s: %s %s%s\n", wrapper, what, path, detail);
    return nullptr;
}

AEffect* startWrapper(audioMasterCallback audioMaster)
{
    Dl_info info{};
    char wrapper[PATH_MAX];
    if (dladdr(reinterpret_cast<void*>(&startWrapper), &info) == 0 || info.dli_fname == nullptr ||
        realpath(info.dli_fname, wrapper) == nullptr)
        return missing("?", "can't find its own file", "", "");
    char settings[PATH_MAX];
    wrapperSettings::fileOf(wrapper, settings);
    char module[PATH_MAX] = "";
    char plugin[PATH_MAX] = "";
    const bool read = wrapperSettings::attribute(settings, "oplexaModule", module) &&
                      wrapperSettings::attribute(settings, "hostedPlugin", plugin);
    if (!read)
        return missing(wrapper, "has no settings naming its plugin:", settings, "");
    char oplexa[PATH_MAX];
    if (!findOplexa(module, oplexa))
        return missing(wrapper, "finds no Oplexa.so:", module,
                       " is gone, and none is in /usr/lib/vst, /usr/local/lib/vst or ~/.vst");
    if (!isFile(plugin))
        return missing(wrapper, "finds no plugin:", plugin, " is gone");
    // Never closed: sessions of other wrappers and the host's records may live in it.
    void* handle = dlopen(oplexa, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr)
    {
        const char* error = dlerror();
        char detail[PATH_MAX];
        std::snprintf(detail, sizeof detail, ": %s", error != nullptr ? error : "");
        return missing(wrapper, "can't load", oplexa, detail);
    }
    auto entry = reinterpret_cast<WrapperMain>(dlsym(handle, "oplexa_wrapper_main_v1"));
    if (entry == nullptr)
        return missing(wrapper, "finds no wrapper entry point in", oplexa,
                       " (an Oplexa.so older than the wrapper)");
    // Settings edited to name this wrapper, or one that names it back, would start sessions
    // inside sessions without end.
    static thread_local bool entered = false;
    if (entered)
        return missing(wrapper, "is asked to host itself through", plugin, "");
    entered = true;
    oplexaUnloading =
        reinterpret_cast<WrapperUnloading>(dlsym(handle, "oplexa_wrapper_unloading_v1"));
    std::snprintf(ownPath, sizeof ownPath, "%s", wrapper);
    AEffect* effect = entry(audioMaster, wrapper);
    entered = false;
    return effect;
}
// Oplexa.so stays loaded: other wrappers' sessions and the host's records may live in it. The
// sessions of this wrapper end as if the host had unloaded Oplexa itself; at exit() Oplexa has
// ended them already, and does nothing here.
[[gnu::destructor]] void wrapperUnloading()
{
    if (oplexaUnloading != nullptr)
        oplexaUnloading(ownPath);
}
} // namespace

// Tells `oplexa` that this file is a wrapper, without running it.
extern "C" __attribute__((visibility("default"))) const char oplexa_wrapper_v1[] = "Oplexa wrapper";

extern "C" __attribute__((visibility("default"))) AEffect*
VSTPluginMain(audioMasterCallback audioMaster)
{
    return startWrapper(audioMaster);
}

extern "C" __attribute__((visibility("default"))) AEffect*
main_macho(audioMasterCallback audioMaster)
{
    return startWrapper(audioMaster);
}
