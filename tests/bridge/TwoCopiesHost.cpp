// A host with its own X error handler loads two file copies of Oplexa.so, each hosting a
// plug-in, so each copy chains its X error filter after the other's. It closes and unloads one
// copy, raises an X error on its main thread, then does the same with the other. Each error must
// reach the host's handler, and no handler may be left pointing into an unloaded module.
//   oplexa-two-copies-host MODULE PLUGIN AB|BA     (run on a display; status 0 when all holds)
#include "tests/support/TestFiles.h"

#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <string>

namespace
{
using XErrorHandler = int (*)(void* display, void* event);
int hostErrors = 0;

int hostHandler(void*, void*)
{
    ++hostErrors;
    return 0;
}

template <typename Function> Function xlib(const char* name)
{
    static void* library = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
    return library != nullptr ? reinterpret_cast<Function>(dlsym(library, name)) : nullptr;
}

// A window id no client holds: XGetWindowAttributes fails with BadWindow.
void raiseXError(void* display)
{
    alignas(16) unsigned char attributes[512];
    xlib<int (*)(void*, unsigned long, void*)>("XGetWindowAttributes")(display, 0x1fffff0ul,
                                                                       attributes);
    xlib<int (*)(void*, int)>("XSync")(display, 0);
}

HostedModule host(const std::string& path)
{
    const HostedModule copy = hostModule(path);
    if (copy.effect == nullptr)
    {
        std::printf("could not host through %s\n", path.c_str());
        std::exit(2);
    }
    copy.effect->dispatcher(copy.effect, effOpen, 0, 0, nullptr, 0.0f);
    return copy;
}

void closeAndUnload(const HostedModule& copy)
{
    copy.effect->dispatcher(copy.effect, effClose, 0, 0, nullptr, 0.0f);
    dlclose(copy.handle);
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 4)
        return 1;
    const std::string order = argv[3];
    const TempFolder folder;
    setenv("OPLEXA_LOG_FILE", folder.file("log.txt").c_str(), 1);
    setenv("OPLEXA_PLUGIN", argv[2], 1);
    for (const char* name : {"OplexaA.so", "OplexaB.so"})
        std::filesystem::copy_file(argv[1], folder.file(name));

    void* display = xlib<void* (*)(const char*)>("XOpenDisplay")(nullptr);
    if (display == nullptr)
        return 77;
    xlib<XErrorHandler (*)(XErrorHandler)>("XSetErrorHandler")(hostHandler);
    const HostedModule a = host(folder.file("OplexaA.so"));
    const HostedModule b = host(folder.file("OplexaB.so"));
    closeAndUnload(order == "AB" ? a : b);
    raiseXError(display);
    closeAndUnload(order == "AB" ? b : a);
    raiseXError(display);

    // Only A can find its filter chained (by B's) when its session ends, and only when it goes
    // first.
    bool staysLoaded = false;
    for (const std::string& line : readSettledLines(folder.file("log.txt")))
        staysLoaded |= line.find("Oplexa stays loaded: its X error handler was chained by another "
                                 "handler") != std::string::npos;
    std::printf("closed %s first: the host's handler saw %d of 2 X errors; A %s\n", order.c_str(),
                hostErrors, staysLoaded ? "stayed loaded" : "unloaded");
    return hostErrors == 2 && staysLoaded == (order == "AB") ? 0 : 1;
}
