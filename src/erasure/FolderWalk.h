#pragma once
#include "erasure/EraseContext.h"

#include <cstdint>
#include <string>
#include <vector>

namespace sweepora {

// What a walk keeps: the files in a folder (or, with `orBelow`, in it and below) whose
// names match `mask`; an empty mask keeps everything there, folders included. The folder
// is canonical (see CanonicalFolder) and may hold "*" and "?" in parts below its root.
struct KeptPlace {
    std::wstring folder;
    bool orBelow = false;
    std::wstring mask; // upper case
};

// What a guard allows in one folder of a walk.
struct FolderVerdict {
    std::vector<std::wstring> masks; // the request's masks that may take files here
    bool recurse = false;            // the walk may go below this folder
    bool remove = false;             // the folder may be taken whole
    std::vector<std::string> refusals; // one reason per refused mask or option
};

// Decides, folder by folder and file by file, what a walk asked for by a file of unknown
// origin (a plugin, a definition) may take. Folders are canonical.
class WalkGuard {
public:
    virtual ~WalkGuard() = default;
    virtual FolderVerdict JudgeFolder(const std::wstring& canonicalFolder, const std::vector<std::wstring>& masks,
                                      bool recurse, bool removeSelf) const = 0;
    // Empty when the file may go, else why not.
    virtual std::string FileRefusal(const std::wstring& canonicalFolder, const std::wstring& name) const = 0;
};

struct WalkRequest {
    std::string display;               // the start as the log names it, with a trailing backslash
    std::wstring folder;               // the start, long form
    std::vector<std::wstring> masks;   // upper case, matched against long names; empty: every file
    bool recurse = true;               // the subfolders are walked too
    bool removeSubfolders = false;     // walked subfolders are removed once emptied, linked ones unlinked
    bool removeFolder = false;         // and then the start itself
    bool hiddenFiles = false;          // hidden files and folders are taken too; system ones never
    std::vector<KeptPlace> kept;
    const WalkGuard* guard = nullptr;  // nullptr: the program's own fixed targets
    std::string refusalTask;           // what refusal lines name, the target as written
};

struct WalkOutcome {
    bool emptied = false; // everything below the start is gone (in a test run: would be)
    bool inUse = false;   // a file stayed because something held it open
    bool refused = false; // the guard refused the start whole: nothing of it may be taken
    std::int64_t filesAllowed = 0; // files the guard let the eraser try
    std::int64_t filesRefused = 0; // files the guard kept
    bool judged = false;           // the guard judged some folder of the walk
    bool masksAllowed = false;     // and some folder let one of the masks take files
};

// The one folder walk. The start is listed through a handle and judged by its final path;
// below it every name comes from a listing, no link or other reparse point is ever gone
// through, and each file is handed to the eraser with its identity, so the file erased is
// the file listed. A folder is removed only when it is gone from the disk (or, in a test
// run, when all it held would be), and never while it holds something kept.
WalkOutcome WalkFolder(EraseContext& context, const WalkRequest& request);

// True when `canonicalFolder` is the folder `pattern` names (its parts may hold wildcards),
// or, with `orBelow`, lies below it; both canonical.
bool CanonicalFolderMatches(const std::wstring& canonicalFolder, const std::wstring& pattern, bool orBelow);

} // namespace sweepora
