// What `oplexa wrap`, `list` and `unwrap` do. Each problem is one line on standard error; each
// returns the process's exit code.
#pragma once

#include <string>
#include <vector>

namespace oplexa
{
// Where wrappers go without --into: a folder that Ardour 7, qtractor and MusE all search.
constexpr const char* kDefaultFolder = "/usr/local/lib/vst";

struct WrapOptions
{
    std::vector<std::string> plugins;
    std::string all;    // a folder whose every VST 2 plug-in is wrapped
    std::string into;   // empty: kDefaultFolder
    std::string oplexa; // empty: this build's or installation's Oplexa.so
    bool force = false;
    bool tag = false; // the host reads "NAME [Oplexa]" and an ID of the wrapper's own
};

int wrap(const WrapOptions& options);
int list(const std::string& folder);
int unwrap(const std::string& path, const std::string& folder);
} // namespace oplexa
