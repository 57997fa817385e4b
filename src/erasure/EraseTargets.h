#pragma once
// What a plugin, a definition or a cleaner asks to have erased. Only the erasure library
// acts on these; whoever builds them only describes.
#include <string>
#include <vector>

namespace sweepora {

// Files in one folder, hidden ones included, system files never. The folder is a full
// path in UTF-16, converted once where the entry was read; its parts may hold "*" and "?",
// which are expanded at run time, never through a link or into a protected folder.
struct FileTarget {
    std::wstring folder;
    std::vector<std::wstring> masks; // matched against long names only
    bool recurse = false;            // the matches in every subfolder as well
    bool removeSelf = false;         // everything below the folder, then the folder itself
    std::string text;                // as written, for the log
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
    std::wstring folder; // File, Path: full path (FILE: that folder only; PATH: it and below)
    std::wstring mask;   // File, Path: the names to keep; empty keeps everything there
    std::string key;     // Registry: the key kept with its tree, or only `value` when set
    std::string value;
};

} // namespace sweepora
