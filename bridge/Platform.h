// Every call into the operating system that the bridge makes, behind a few small functions,
// so that the bridge itself reads as plain steps.
#pragma once

#include "bridge/VstInterface.h"

#include <cstdint>
#include <string>
#include <thread>

namespace platform
{
using ModuleHandle = void*;
using ResourceRef = int16_t;

// Null when the path is no loadable module; lastModuleError() then says why.
ModuleHandle openModule(const char* path) noexcept;
// The first of "VSTPluginMain", "main", "main_macho" the module exports, or null.
VstPluginMainProc findEntryPoint(ModuleHandle module) noexcept;
void closeModule(ModuleHandle module) noexcept;
// The loader's last error text, or an empty text.
std::string lastModuleError() noexcept;

// The file this code was loaded from, or an empty text if the loader can't tell.
std::string ownModulePath() noexcept;

// Linux has no resource context: these keep the bridge's save/switch/restore steps and do nothing.
ResourceRef openResources(ModuleHandle module) noexcept;
void closeResources(ModuleHandle module, ResourceRef resources) noexcept;
ResourceRef currentResources() noexcept;
void useResources(ResourceRef resources) noexcept;

// Whether an X display can be opened. Creating a window without one crashes inside JUCE.
bool displayAvailable() noexcept;

// Inside a plug-in JUCE installs no X error handler, and Xlib's default one ends the process,
// host and all, on an error as harmless as a refused focus request. While Oplexa's message
// thread runs, errors raised on that thread are Oplexa's own and are ignored; every other
// error goes on to the handler that was there before (the host's or Xlib's). A second call moves
// the filter to another thread.
void filterXErrorsOnThread(std::thread::id thread) noexcept;
void stopFilteringXErrors() noexcept;

// Runs the function once, just before the C runtime destroys the first static object of this
// module, at exit() or at dlclose. Statics that JUCE builds on the message thread are destroyed
// before any static built earlier, so only this hook comes early enough to stop that thread.
void runBeforeStaticDestructors(void (*function)() noexcept) noexcept;

// An environment variable's value, or an empty text when it is unset.
std::string environment(const char* name) noexcept;

// $XDG_CONFIG_HOME, or else ~/.config; an empty text when no absolute folder can be found.
std::string userConfigFolder() noexcept;
} // namespace platform
