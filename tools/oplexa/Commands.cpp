#include "tools/oplexa/Commands.h"

#include "tools/oplexa/ModuleKind.h"
#include "tools/oplexa/WrapperFiles.h"
#include "tools/wrapper/SettingsAttributes.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>

namespace oplexa
{
namespace
{
int problem(const std::string& line)
{
    std::fprintf(stderr, "oplexa: %s\n", line.c_str());
    return 1;
}

// Why this file can't be wrapped, or empty when it can.
std::string refusal(const std::string& plugin, const std::string& path)
{
    switch (moduleKind(path))
    {
    case ModuleKind::missing:
        return "no such file: " + plugin;
    case ModuleKind::notPlugin:
        return "not a VST 2 plug-in: " + plugin;
    case ModuleKind::oplexa:
        return plugin + " is Oplexa itself; wrap the plug-in it should host";
    case ModuleKind::wrapper:
        return plugin + " is a wrapper already";
    case ModuleKind::plugin:
        return {};
    }
    return {};
}

std::vector<std::string> sharedObjectsIn(const std::string& folder)
{
    std::vector<std::string> files;
    if (DIR* dir = opendir(folder.c_str()))
    {
        while (const dirent* entry = readdir(dir))
        {
            const std::string name = entry->d_name;
            if (name.size() > 3 && name.compare(name.size() - 3, 3, ".so") == 0)
                files.push_back(folder + "/" + name);
        }
        closedir(dir);
    }
    std::sort(files.begin(), files.end());
    return files;
}

// The wrapper's settings: a --force keeps what they hold and names the plug-in and module anew.
bool writeWrapper(const std::string& prebuilt, const std::string& wrapper,
                  const std::string& plugin, const std::string& oplexa, bool tag)
{
    std::string module;
    std::string settings;
    const std::string settingsPath = settingsPathOf(wrapper);
    readFile(settingsPath, settings);
    settings =
        withAttribute(withAttribute(settings, "hostedPlugin", plugin), "oplexaModule", oplexa);
    if (tag)
        settings = withAttribute(settings, "tag", "1");
    return readFile(prebuilt, module) && replaceFile(wrapper, module, true) &&
           replaceFile(settingsPath, settings, false);
}

std::string attributeOf(const std::string& wrapper, const char* name)
{
    char settings[PATH_MAX];
    char value[PATH_MAX];
    wrapperSettings::fileOf(wrapper.c_str(), settings);
    return wrapperSettings::attribute(settings, name, value) ? value : "";
}
} // namespace

int wrap(const WrapOptions& options)
{
    const BuiltFiles built = builtFiles();
    const std::string folder = options.into.empty() ? kDefaultFolder : options.into;
    const std::string oplexa = resolvedPath(options.oplexa.empty() ? built.oplexa : options.oplexa);
    // The default folder is made when missing, as hosts only search it; --into names one that is.
    if (options.into.empty() && !isFolder(folder))
        mkdir(folder.c_str(), 0755);
    if (!isWritableFolder(folder))
        return problem("can't write to the folder " + folder);
    if (oplexa.empty() || moduleKind(oplexa) != ModuleKind::oplexa)
        return problem("no Oplexa.so at " +
                       (options.oplexa.empty() ? built.oplexa : options.oplexa));
    if (moduleKind(built.wrapper) != ModuleKind::wrapper)
        return problem("no prebuilt wrapper at " + built.wrapper);
    if (!options.all.empty() && !isFolder(options.all))
        return problem("no such folder: " + options.all);

    std::vector<std::string> plugins = options.plugins;
    for (const std::string& file : sharedObjectsIn(options.all))
        if (moduleKind(file) == ModuleKind::plugin)
            plugins.push_back(file);
        else
            std::printf("Skipped %s\n", refusal(file, file).c_str());
    int result = 0;
    for (const std::string& plugin : plugins)
    {
        const std::string path = resolvedPath(plugin);
        const std::string refused = refusal(plugin, path.empty() ? plugin : path);
        if (!refused.empty())
        {
            result = problem(refused);
            continue;
        }
        const std::string wrapper = wrapperPathFor(path, folder);
        if (!options.force && !resolvedPath(wrapper).empty())
        {
            std::printf("%s exists; left alone (--force replaces it)\n", wrapper.c_str());
            continue;
        }
        if (!writeWrapper(built.wrapper, wrapper, path, oplexa, options.tag))
            result = problem("could not write " + wrapper);
        else
            std::printf("Wrapped %s as %s\n", path.c_str(), wrapper.c_str());
    }
    return result;
}

int list(const std::string& folder)
{
    const std::string where = folder.empty() ? kDefaultFolder : folder;
    if (!isFolder(where))
        return problem("no such folder: " + where);
    for (const std::string& file : sharedObjectsIn(where))
    {
        if (moduleKind(file) != ModuleKind::wrapper)
            continue;
        const std::string plugin = attributeOf(file, "hostedPlugin");
        std::printf("%s\t%s\t%s\n", file.c_str(), plugin.c_str(),
                    !plugin.empty() && moduleKind(plugin) == ModuleKind::plugin ? "present"
                                                                                : "gone");
    }
    return 0;
}

int unwrap(const std::string& path, const std::string& folder)
{
    std::string wrapper = path;
    const ModuleKind kind = moduleKind(path);
    if (kind == ModuleKind::plugin || kind == ModuleKind::missing)
        wrapper = wrapperPathFor(path, folder.empty() ? kDefaultFolder : folder);
    if (moduleKind(wrapper) != ModuleKind::wrapper)
        return problem("no wrapper of " + path + " (looked for " + wrapper + ")");
    char settings[PATH_MAX];
    wrapperSettings::fileOf(wrapper.c_str(), settings);
    const std::string beside = settingsPathOf(wrapper);
    if (std::remove(wrapper.c_str()) != 0)
        return problem("could not remove " + wrapper);
    std::remove(beside.c_str());
    std::remove(settings);
    std::printf("Removed %s and its settings\n", wrapper.c_str());
    return 0;
}
} // namespace oplexa
