// What a file is to `oplexa wrap`, told from its ELF dynamic symbols without loading it: no code
// of a plug-in runs, and a file of another architecture is told apart as well as one of ours.
#pragma once

#include <string>

namespace oplexa
{
enum class ModuleKind
{
    missing,   // no such file, or not readable
    notPlugin, // no x86_64 shared object exporting a VST 2 entry point
    plugin,
    oplexa,  // Oplexa.so (exports oplexa_wrapper_main_v1)
    wrapper, // a wrapper made by `oplexa wrap` (exports oplexa_wrapper_v1)
};

ModuleKind moduleKind(const std::string& path);
} // namespace oplexa
