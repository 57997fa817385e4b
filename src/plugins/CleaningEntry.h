#pragma once
// What one plugin or one definition asks to clean, whichever file it was read from. The
// runner works on this alone: every path is already expanded, every key already parsed.
#include <string>
#include <vector>

namespace sweepora {

// Files in one folder, hidden ones included, system files never. The folder (UTF-8, full path) may hold "*" and "?" in any part;
// each part is expanded at run time, never through a link or into a protected folder.
struct FileTarget {
    std::string folder;
    std::vector<std::string> masks; // matched against long names only
    bool recurse = false;           // the matches in every subfolder as well
    bool removeSelf = false;        // everything below the folder, then the folder itself
    std::string text;               // as written, for the log
};

enum class RegistryAction {
    DeleteKey,          // the key with its whole tree
    DeleteValue,        // one value
    DeleteSubkeys,      // every subkey, the key itself stays
    DeleteAllValues,    // every value of the key
    DeleteNumberedValue // the value, then the same name followed by 1 to 49
};

struct RegistryTarget {
    RegistryAction action = RegistryAction::DeleteKey;
    std::string key;   // "HKEY_CURRENT_USER\Software\..." with the root's full name
    std::string value; // for the value actions
    std::string text;  // as written, for the log
};

// What the entry's own targets must leave alone.
struct Exclusion {
    enum class Kind { File, Path, Registry };
    Kind kind = Kind::File;
    std::string folder; // File, Path: full path (FILE: that folder only; PATH: it and below)
    std::string mask;   // File, Path: the names to keep; empty keeps everything there
    std::string key;    // Registry: the key kept with its tree, or only `value` when set
    std::string value;
};

struct CleaningEntry {
    std::string name;        // as listed and as the log names it
    std::string group;       // the heading it is listed under
    std::string source;      // the file it came from, for the list
    std::string description; // plugins only
    std::string warning;     // shown before the entry is ticked
    std::vector<RegistryTarget> registry;
    std::vector<FileTarget> files;
    std::vector<Exclusion> exclusions;
};

} // namespace sweepora
