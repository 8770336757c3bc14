#include "bridge/Platform.h"

#include <atomic>
#include <cstdlib>
#include <dlfcn.h>
#include <new>
#include <pwd.h>
#include <unistd.h>

// The module links with --wrap=__cxa_atexit: every destructor its code registers, JUCE's included,
// comes through __wrap___cxa_atexit below.
extern "C" int __real___cxa_atexit(void (*destructor)(void*), void* object, void* module);

namespace platform
{
ModuleHandle openModule(const char* path) noexcept
{
    if (path == nullptr || *path == '\0')
        return nullptr;
    dlerror();
    return dlopen(path, RTLD_NOW | RTLD_LOCAL);
}

VstPluginMainProc findEntryPoint(ModuleHandle module) noexcept
{
    if (module == nullptr)
        return nullptr;
    for (const char* name : {"VSTPluginMain", "main", "main_macho"})
        if (void* symbol = dlsym(module, name))
            return reinterpret_cast<VstPluginMainProc>(symbol);
    return nullptr;
}

void closeModule(ModuleHandle module) noexcept
{
    if (module != nullptr)
        dlclose(module);
}

std::string lastModuleError() noexcept
{
    const char* error = dlerror();
    return error != nullptr ? error : "";
}

std::string ownModulePath() noexcept
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&ownModulePath), &info) == 0 || info.dli_fname == nullptr)
        return {};
    return info.dli_fname;
}

ResourceRef openResources(ModuleHandle) noexcept
{
    return 0;
}

void closeResources(ModuleHandle, ResourceRef) noexcept {}

ResourceRef currentResources() noexcept
{
    return 0;
}

void useResources(ResourceRef) noexcept {}

bool displayAvailable() noexcept
{
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0')
        return false;
    // JUCE loads Xlib at run time too; doing the same keeps the module free of a link to it.
    void* xlib = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
    if (xlib == nullptr)
        return false;
    using OpenDisplay = void* (*)(const char*);
    using CloseDisplay = int (*)(void*);
    auto open = reinterpret_cast<OpenDisplay>(dlsym(xlib, "XOpenDisplay"));
    auto close = reinterpret_cast<CloseDisplay>(dlsym(xlib, "XCloseDisplay"));
    bool available = false;
    if (open != nullptr && close != nullptr)
        if (void* connection = open(nullptr))
        {
            available = true;
            close(connection);
        }
    dlclose(xlib);
    return available;
}

namespace
{
using XErrorHandler = int (*)(void* display, void* event);
using SetErrorHandler = XErrorHandler (*)(XErrorHandler);

void* xlibForErrors = nullptr;
SetErrorHandler setErrorHandler = nullptr;
XErrorHandler previousHandler = nullptr;
std::atomic<std::thread::id> filteredThread{};

int filterXError(void* display, void* event)
{
    if (std::this_thread::get_id() == filteredThread.load())
        return 0;
    return previousHandler != nullptr ? previousHandler(display, event) : 0;
}
} // namespace

void filterXErrorsOnThread(std::thread::id thread) noexcept
{
    filteredThread = thread;
    if (xlibForErrors != nullptr)
        return;
    xlibForErrors = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
    if (xlibForErrors == nullptr)
        return;
    setErrorHandler = reinterpret_cast<SetErrorHandler>(dlsym(xlibForErrors, "XSetErrorHandler"));
    if (setErrorHandler == nullptr)
    {
        dlclose(xlibForErrors);
        xlibForErrors = nullptr;
        return;
    }
    previousHandler = setErrorHandler(filterXError);
}

void stopFilteringXErrors() noexcept
{
    if (xlibForErrors == nullptr)
        return;
    // Put the previous handler back only if nobody replaced ours meanwhile.
    const XErrorHandler current = setErrorHandler(previousHandler);
    if (current != filterXError)
        setErrorHandler(current);
    filteredThread = std::thread::id();
    dlclose(xlibForErrors);
    xlibForErrors = nullptr;
}

namespace
{
std::atomic<void (*)() noexcept> beforeStaticDestructors{nullptr};

struct StaticDestructor
{
    void (*destructor)(void*);
    void* object;
};

void destroyStatic(void* data)
{
    if (const auto function = beforeStaticDestructors.exchange(nullptr))
        function();
    const auto* registered = static_cast<StaticDestructor*>(data);
    registered->destructor(registered->object);
    delete registered;
}
} // namespace

void runBeforeStaticDestructors(void (*function)() noexcept) noexcept
{
    beforeStaticDestructors = function;
}

std::string environment(const char* name) noexcept
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::string userConfigFolder() noexcept
{
    // The XDG base directory rules: a relative value is ignored.
    const std::string xdg = environment("XDG_CONFIG_HOME");
    if (!xdg.empty() && xdg[0] == '/')
        return xdg;
    std::string home = environment("HOME");
    if (home.empty())
        if (const passwd* user = getpwuid(getuid()); user != nullptr && user->pw_dir != nullptr)
            home = user->pw_dir;
    return !home.empty() && home[0] == '/' ? home + "/.config" : "";
}
} // namespace platform

extern "C" int __wrap___cxa_atexit(void (*destructor)(void*), void* object, void* module)
{
    auto* registered = new (std::nothrow) platform::StaticDestructor{destructor, object};
    if (registered == nullptr)
        return __real___cxa_atexit(destructor, object, module);
    return __real___cxa_atexit(platform::destroyStatic, registered, module);
}
