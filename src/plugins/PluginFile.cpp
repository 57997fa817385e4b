#include "plugins/PluginFile.h"

#include "platform/WideText.h"

#include "platform/Ini.h"
#include "platform/Paths.h"
#include "platform/Text.h"

#include <windows.h>

namespace sweepora {

namespace {

// Every spelling of the variable's name, in any case; the rest of the text stays as written,
// so the log names the folders as the author and the system spell them.
std::string ReplaceAll(std::string text, const std::string& what, const std::string& with)
{
    const std::string upperWhat = UpperCaseUtf8(what);
    for (std::size_t at = 0; at + what.size() <= text.size();) {
        if (UpperCaseUtf8(text.substr(at, what.size())) == upperWhat) {
            text.replace(at, what.size(), with);
            at += with.size();
        } else {
            ++at;
        }
    }
    return text;
}

} // namespace

std::string PluginFolder(const std::string& folder)
{
    return AddBackslash(folder) + "plugins";
}

std::string PluginFilePath(const std::string& pluginFolder, const std::string& name)
{
    return AddBackslash(pluginFolder) + name + kPluginExtension;
}

std::string ExpandVariables(const std::string& entry, const PluginVariables& v)
{
    std::string path = ReplaceAll(entry, "%APPDATA%", v.appDataPath);
    path = ReplaceAll(path, "%USERNAME%", v.userName);
    return ReplaceAll(path, "%WIN%", v.windowsPath);
}

CleaningEntry ReadPluginEntry(const std::string& pluginFolder, const std::string& name,
                              const PluginVariables& variables)
{
    CleaningEntry entry;
    entry.name = TrimBlanks(name);
    entry.group = kPluginGroup;
    // The file as listed, blanks and all: a trimmed name could open another plugin.
    const std::string file = PluginFilePath(pluginFolder, name);
    entry.source = "plugins\\" + name + kPluginExtension;
    clsIni ini;
    ini.IniPath(file);
    entry.description = ini.GetIniSetting(kPluginSection, kDescriptionKey);
    const auto forEach = [&ini](const char* key, auto&& take) {
        for (int n = 1;; ++n) {
            const std::string text = ini.GetIniSetting(kPluginSection, key + std::to_string(n));
            if (text.empty()) break;
            take(text);
        }
    };
    const auto addKey = [&entry](RegistryAction action, const std::string& text) {
        if (text.find('\\') == std::string::npos) return;
        entry.registry.push_back({action, text, {}, text});
    };
    forEach(kDelRegKeyList, [&](const std::string& text) { addKey(RegistryAction::DeleteSubkeys, text); });
    forEach(kDelRegValueList, [&](const std::string& text) { addKey(RegistryAction::DeleteAllValues, text); });
    forEach(kDelRegValue, [&](const std::string& text) {
        if (text.find('\\') == std::string::npos) return;
        const std::size_t comma = text.find(',');
        std::string key = text.substr(0, comma);
        std::string value = comma == std::string::npos ? std::string() : text.substr(comma + 1);
        if (value.empty()) value = kDefaultValueName;
        // "ROOT,name\more": the backslash lies in the name, so the key names no root.
        if (key.find('\\') == std::string::npos) key.clear();
        entry.registry.push_back({RegistryAction::DeleteNumberedValue, key, value, text.substr(0, comma)});
    });
    forEach(kDelFile, [&](const std::string& text) {
        const std::string path = ExpandVariables(text, variables);
        const std::size_t cut = path.find_last_of("\\/");
        FileTarget target;
        if (cut != std::string::npos) target.folder = WideFromUtf8(path.substr(0, cut + 1));
        const std::string mask = cut == std::string::npos ? path : path.substr(cut + 1);
        if (!mask.empty()) target.masks.push_back(WideFromUtf8(mask));
        target.text = path;
        entry.files.push_back(std::move(target));
    });
    return entry;
}

} // namespace sweepora
