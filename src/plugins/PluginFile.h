#pragma once
// The plugin file: an INI file "<name>.plg" in the plugin folder, every key in section "Info".
#include <windows.h>

#include <optional>
#include <string>

namespace sweepora {

constexpr const char* kPluginSection = "Info";
constexpr const char* kPluginExtension = ".plg";
constexpr const char* kDescriptionKey = "Description";
// "1" means not ticked; anything else, or nothing, means ticked.
constexpr const char* kSelectedKey = "Selected";
// The four numbered lists: <key>1, <key>2, ... up to the first missing or empty entry.
constexpr const char* kDelRegKeyList = "DelRegKeyList";
constexpr const char* kDelRegValueList = "DelRegValueList";
constexpr const char* kDelRegValue = "DelRegValue";
constexpr const char* kDelFile = "DelFile";
// The value a DelRegValue entry names when it names none.
constexpr const char* kDefaultValueName = "Default";

// "plugins" in the program's folder.
std::string PluginFolder(const std::string& programFolder);
// The file of the plugin `name`, the name kept exactly as listed, blanks around it included.
std::string PluginFilePath(const std::string& pluginFolder, const std::string& name);

// What %APPDATA%, %USERNAME% and %WIN% stand for, fixed when the program starts.
struct PluginVariables {
    std::string appDataPath;
    std::string userName;
    std::string windowsPath;
};

// The entry (UTF-8) upper-cased before each of the three replacements, so the variables
// match in any case; the Windows folder goes in last and keeps its own case.
std::string ExpandVariables(const std::string& entry, const PluginVariables& variables);

// A registry entry "ROOT\path" or, for DelRegValue, "ROOT\path,name".
struct RegistryTarget {
    HKEY root;        // nullptr for a root name that is not one of the seven
    std::string path; // everything after the first backslash
    std::string valueName;
};

// Nothing for an entry without a backslash: it is skipped, not counted.
std::optional<RegistryTarget> ParseKeyEntry(const std::string& entry);
// The key path ends at the first comma; no name after it means kDefaultValueName.
std::optional<RegistryTarget> ParseValueEntry(const std::string& entry);

} // namespace sweepora
