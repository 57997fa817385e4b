#pragma once
// The plugin file: an INI file "<name>.plg" in the plugin folder, every key in section "Info".
#include "plugins/CleaningEntry.h"

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
// The heading plugin files are listed under, beside the definitions' groups.
constexpr const char* kPluginGroup = "Plugins";

// "plugins" in the folder (the data folder, or the program's for the plugins it ships).
std::string PluginFolder(const std::string& folder);
// The file of the plugin `name`, the name kept exactly as listed, blanks around it included.
std::string PluginFilePath(const std::string& pluginFolder, const std::string& name);

// What %APPDATA%, %USERNAME% and %WIN% stand for, fixed when the program starts.
struct PluginVariables {
    std::string appDataPath;
    std::string userName;
    std::string windowsPath;
};

// The entry (UTF-8) with the three variables replaced, each matched in any case; the rest
// keeps the case it was written in, which the log shows.
std::string ExpandVariables(const std::string& entry, const PluginVariables& variables);

// Reads the plugin file of the line `name` into an entry: DelRegKeyList as the key's
// subkeys, DelRegValueList as its values, DelRegValue as a value with its numbered
// companions (no name after the comma: "Default"), DelFile with its variables expanded.
// Each list ends at its first missing or empty number; an entry without a backslash is
// skipped; a root name that is not one of the seven stays as written, and deletes nothing.
// A missing or unreadable file gives an entry with nothing to do.
CleaningEntry ReadPluginEntry(const std::string& pluginFolder, const std::string& name,
                              const PluginVariables& variables);

} // namespace sweepora
