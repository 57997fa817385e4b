#include "plugins/PluginFile.h"

#include "storage/Paths.h"
#include "storage/RegistryAccess.h"
#include "storage/Text.h"

#include <windows.h>

namespace sweepora {

namespace {

std::string ReplaceAll(std::string text, const std::string& what, const std::string& with)
{
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
    return text;
}

} // namespace

std::string PluginFolder(const std::string& programFolder)
{
    return AddBackslash(programFolder) + "plugins";
}

std::string PluginFilePath(const std::string& pluginFolder, const std::string& name)
{
    return AddBackslash(pluginFolder) + name + kPluginExtension;
}

std::string ExpandVariables(const std::string& entry, const PluginVariables& v)
{
    std::string path = ReplaceAll(UpperCaseUtf8(entry), "%APPDATA%", v.appDataPath);
    path = ReplaceAll(UpperCaseUtf8(path), "%USERNAME%", v.userName);
    return ReplaceAll(UpperCaseUtf8(path), "%WIN%", v.windowsPath);
}

std::optional<RegistryTarget> ParseKeyEntry(const std::string& entry)
{
    const auto slash = entry.find('\\');
    if (slash == std::string::npos) return std::nullopt;
    return RegistryTarget{RootKeyFromPath(entry), entry.substr(slash + 1), {}};
}

std::optional<RegistryTarget> ParseValueEntry(const std::string& entry)
{
    if (entry.find('\\') == std::string::npos) return std::nullopt;
    const auto comma = entry.find(',');
    const std::string keyPart = entry.substr(0, comma);
    std::string name = comma == std::string::npos ? std::string() : entry.substr(comma + 1);
    if (name.empty()) name = kDefaultValueName;
    // "ROOT,name\more": the backslash lies in the name, so the key has no known root.
    std::optional<RegistryTarget> target = ParseKeyEntry(keyPart);
    if (!target) target = RegistryTarget{nullptr, {}, {}};
    target->valueName = name;
    return target;
}

} // namespace sweepora
