#pragma once
// What one plugin or one definition asks to clean, whichever file it was read from. The
// runner works on this alone: every path is already expanded, every key already parsed.
#include "erasure/EraseTargets.h"

#include <string>
#include <vector>

namespace sweepora {

struct CleaningEntry {
    std::string name;        // as listed and as the log names it
    std::string group;       // the heading it is listed under
    std::string source;      // the file it came from, for the list
    std::string description; // plugins only
    std::string warning;     // shown before the entry is ticked
    bool notifyShell = false; // the shell is told its settings changed once the entry has run
    std::vector<RegistryTarget> registry;
    std::vector<FileTarget> files;
    std::vector<Exclusion> exclusions;
};

} // namespace sweepora
