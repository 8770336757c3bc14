#include "tools/oplexa/WrapperFiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace oplexa
{
namespace
{
std::string folderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
}

std::string stemOf(const std::string& path)
{
    std::string name = path.substr(path.rfind('/') + 1);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

std::string escaped(const std::string& value)
{
    std::string text;
    for (const char c : value)
        switch (c)
        {
        case '&':
            text += "&amp;";
            break;
        case '<':
            text += "&lt;";
            break;
        case '>':
            text += "&gt;";
            break;
        case '"':
            text += "&quot;";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20)
                text += "&#" + std::to_string(static_cast<int>(c)) + ";";
            else
                text += c;
        }
    return text;
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}
} // namespace

BuiltFiles builtFiles()
{
    char self[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    const std::string folder = length > 0 ? folderOf(std::string(self, length)) : "";
    // The build folder's tool (reached through any link) uses the build's own module; an
    // installed one the installed.
    if (folder == resolvedPath(OPLEXA_BUILD_TOOLS_DIR))
        return {OPLEXA_BUILD_DIR "/oplexa-wrapper.so", OPLEXA_BUILD_DIR "/Oplexa.so"};
    return {resolvedPath(folder + "/" OPLEXA_BIN_TO_WRAPPER "/oplexa-wrapper.so"),
            resolvedPath(folder + "/" OPLEXA_BIN_TO_VSTDIR "/Oplexa.so")};
}

std::string wrapperPathFor(const std::string& plugin, const std::string& folder)
{
    return folder + "/" + stemOf(plugin) + "-oplexa.so";
}

std::string settingsPathOf(const std::string& wrapper)
{
    return folderOf(wrapper) + "/" + stemOf(wrapper) + ".xml";
}

std::string withAttribute(const std::string& text, const std::string& name,
                          const std::string& value)
{
    const std::string attribute = name + "=\"" + escaped(value) + "\"";
    const size_t tag = text.find("<Parameters");
    const size_t end = tag == std::string::npos ? tag : text.find('>', tag);
    if (end == std::string::npos)
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n\n<Oplexa>\n  <Logger>\n"
               "    <Parameters " +
               attribute + "/>\n  </Logger>\n</Oplexa>\n";
    for (size_t at = text.find(name + "=", tag); at != std::string::npos && at < end;
         at = text.find(name + "=", at + 1))
    {
        const size_t open = at + name.size() + 1;
        if (!isSpace(text[at - 1]) || (text[open] != '"' && text[open] != '\''))
            continue;
        const size_t close = text.find(text[open], open + 1);
        if (close == std::string::npos || close > end)
            break;
        return text.substr(0, at) + attribute + text.substr(close + 1);
    }
    const size_t after = tag + std::string("<Parameters").size();
    return text.substr(0, after) + " " + attribute + text.substr(after);
}

bool readFile(const std::string& path, std::string& text)
{
    std::ifstream stream(path, std::ios::binary);
    if (!stream)
        return false;
    text.assign(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
    return true;
}

bool replaceFile(const std::string& path, const std::string& text, bool executable)
{
    const std::string temporary = path + ".oplexa-new";
    FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr)
        return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (std::fclose(file) != 0 || !written ||
        chmod(temporary.c_str(), executable ? 0755 : 0644) != 0 ||
        std::rename(temporary.c_str(), path.c_str()) != 0)
    {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

std::string resolvedPath(const std::string& path)
{
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) != nullptr ? resolved : "";
}

bool isFolder(const std::string& path)
{
    struct stat info
    {
    };
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool isWritableFolder(const std::string& path)
{
    struct stat info
    {
    };
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           access(path.c_str(), W_OK | X_OK) == 0;
}
} // namespace oplexa
