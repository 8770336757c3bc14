// The files of a wrapper: the wrapper module, a copy of the prebuilt one, and its settings file,
// whose Parameters element names the hosted plug-in and the Oplexa.so to load.
#pragma once

#include <string>

namespace oplexa
{
// Where this build or installation keeps the prebuilt wrapper and its Oplexa.so.
struct BuiltFiles
{
    std::string wrapper;
    std::string oplexa;
};
BuiltFiles builtFiles();

// MVerb-vst.so wraps as DIR/MVerb-vst-oplexa.so, with settings DIR/MVerb-vst-oplexa.xml.
std::string wrapperPathFor(const std::string& plugin, const std::string& folder);
std::string settingsPathOf(const std::string& wrapper);

// The settings text with NAME="VALUE" set on Parameters (added where missing); a text without a
// Parameters element becomes a new settings document.
std::string withAttribute(const std::string& text, const std::string& name,
                          const std::string& value);

// Whole files: written to a temporary file in the same folder and renamed over the target, so
// that a host never sees half a file and one that has the old wrapper mapped keeps it.
bool readFile(const std::string& path, std::string& text);
bool replaceFile(const std::string& path, const std::string& text, bool executable);

// An absolute path with every link resolved, or empty when the file is missing.
std::string resolvedPath(const std::string& path);
bool isFolder(const std::string& path);
bool isWritableFolder(const std::string& path);
} // namespace oplexa
