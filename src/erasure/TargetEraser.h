#pragma once
#include "erasure/EraseContext.h"
#include "erasure/EraseTargets.h"
#include "erasure/FolderWalk.h"

#include <string>
#include <vector>

namespace sweepora {

// What may be taken of a target written by someone else: folder by folder and file by file
// as a walk goes, and for whole targets before anything is touched.
class TargetGuard : public WalkGuard {
public:
    // Why a wildcard part may not stand for the subfolders of `canonicalParent`; empty when it may.
    virtual std::string WildcardRefusal(const std::wstring& canonicalParent, bool namedFollows) const = 0;
    // Why the registry target may not be carried out; empty when it may.
    virtual std::string RegistryRefusal(const RegistryTarget& target) const = 0;
};

// How a target ended: carried out (or nothing of it was there), refused by the guard, or
// not done because it names no registry root this program knows.
enum class TargetEnd { Done, Refused, NotDone };

// Erases the files one target names, in every folder its wildcards stand for, keeping what
// the exclusions name (compared by final path). A refused part gets one line
// "Refused: <why>" under the target's text, and the rest of the target still runs.
// `refused` is set when something was refused and nothing of the target was allowed: no
// folder at all, or no file of the folders that were allowed.
WalkOutcome EraseFileTarget(EraseContext& context, const FileTarget& target, const std::vector<Exclusion>& exclusions,
                            const TargetGuard& guard);

// Carries out one registry target (in a test run: counts it and deletes nothing), keeping
// what the exclusions name. Its key may hold "*" and "?" in any part after the root: the
// registry walker expands it as it opens the keys, and each key it reaches is judged by the
// guard and carried out on its own. Each key counts as a registry entry only when something
// of it was removed (in a test run: is there to remove); a root this program does not know
// gets a line of its own, a refused key or a registry link one "Refused: <why>" line under
// the target's text, and none is counted. Refused when something was refused and nothing
// of the target was allowed; NotDone for a root this program does not know.
TargetEnd EraseRegistryTarget(EraseContext& context, const RegistryTarget& target,
                              const std::vector<Exclusion>& exclusions, const TargetGuard& guard);

} // namespace sweepora
