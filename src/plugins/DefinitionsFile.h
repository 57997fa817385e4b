#pragma once
// The community cleaning-definitions format ("winapp2.ini" and our own "definitions\*.ini"):
// one section per entry, read into the same model as a plugin file.
#include "plugins/CleaningEntry.h"

#include <map>
#include <string>
#include <vector>

namespace sweepora {

// What the variables of a definition stand for on this machine, UTF-8. A name maps to more
// than one folder where Windows has two (%ProgramFiles% on 64-bit Windows); a key using
// it becomes one target per folder. Names are upper-case, without the percent signs.
struct DefinitionEnvironment {
    std::map<std::string, std::vector<std::string>> variables;
    int windowsMajor = 0; // for DetectOS
    int windowsMinor = 0;
};

// This machine's, read once.
DefinitionEnvironment CurrentDefinitionEnvironment();

struct LoadedDefinition {
    CleaningEntry entry;
    bool offered = false;
    std::string notOfferedReason; // why not, when it is not offered and not unusable
    bool unusable = false;        // not one key left to run
};

// What a load found, every entry counted once as offered, not offered or unusable.
struct DefinitionsReport {
    int entries = 0;
    int offered = 0;
    int notOffered = 0;
    int unusable = 0;
    int badKeys = 0;             // the wrong shape: skipped
    int unknownVariableKeys = 0; // a variable this program does not know: skipped
    int ignoredKeys = 0;         // keys this program does not read, such as SpecialDetect
    std::map<std::string, int> notOfferedReasons;
};

struct DefinitionsLoad {
    std::vector<LoadedDefinition> definitions; // in file order
    DefinitionsReport report;
    std::string error; // the file could not be read; nothing was loaded
};

// Reads the file at `path` (UTF-8 or the ANSI code page, any length of path), detecting
// each entry against the registry, the file system and the Windows version. `source` is
// what the list shows as the entry's origin.
DefinitionsLoad ReadDefinitions(const std::string& path, const std::string& source,
                                const DefinitionEnvironment& environment);

// The same from text already in memory (UTF-8), for the bench and the tests.
DefinitionsLoad ParseDefinitions(const std::string& text, const std::string& source,
                                 const DefinitionEnvironment& environment);

} // namespace sweepora
