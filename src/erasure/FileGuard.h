#pragma once
// What an entry from a file of unknown origin (a plugin, a cleaning definition) may take
// of the files and folders of this machine, judged folder by folder and file by file on
// canonical paths (see CanonicalFolder). The rules are the rows of GuardRules: what kind
// of place a folder is, how deep below that place's root it lies, whether it is a trace
// folder, and what kind of file a name is. Nothing here lists, opens or deletes anything.
#include "erasure/ProtectedPlaces.h"

#include <string>
#include <vector>

namespace sweepora {

// What an entry may do in one folder.
struct FolderJudgement {
    std::vector<std::wstring> masks;   // the entry's masks that may take files here, as given
    bool recurse = false;              // the walk may go below (asked by RECURSE, or implied by REMOVESELF)
    bool removeSelf = false;           // the folder itself may go once emptied
    std::vector<std::string> refusals; // one line per refused mask or option, for "Refused: <why>"
};

// The verdict for `canonicalFolder` on the entry's masks (upper-cased or not), RECURSE and
// REMOVESELF. A walk asks again for every folder it enters, with the entry's own masks and
// options: the rules hold at any depth, and a folder nested in another protected place
// (a user folder inside a walked folder, say) gets that place's rules.
FolderJudgement JudgeFolder(const ProtectedPlaces& places, const std::wstring& canonicalFolder,
                            const std::vector<std::wstring>& masks, bool recurse, bool removeSelf);

// Why one listed file may not go, or empty text when it may: programs, libraries and
// drivers below Program Files, documents, pictures, music, videos and archives in the
// user's own folders, and whatever no verdict in that folder could allow. `name` is the
// long name as listed, in any case. Allocates only when it refuses.
std::string FileRefusal(const ProtectedPlaces& places, const std::wstring& canonicalFolder, const std::wstring& name);
bool FileMayGo(const ProtectedPlaces& places, const std::wstring& canonicalFolder, const std::wstring& name);

// For the folder-pattern expander: why a wildcard part may not stand for the subfolders of
// `canonicalParent`, or empty text when it may. Wide reach needs a name: at a place's root
// the wildcard must carry text of its own ("Chicken Invaders*") or be followed by a part
// that does (`namedFollows`); none may reach into a place that is never reached.
std::string WildcardRefusal(const ProtectedPlaces& places, const std::wstring& canonicalParent, bool namedFollows);

// For the program's own cleaners, which empty a folder whole and where the user chose the
// folder: why this one may not be. A blank or relative setting, a drive or share root, a
// protected place or a folder that holds one, the Windows folder outside its trace folders,
// Program Files, another user's profile, the user's keys and credentials.
std::string TempFolderRefusal(const std::string& folder, const ProtectedPlaces& places);
std::string CustomDirRefusal(const std::string& folder, const ProtectedPlaces& places);

} // namespace sweepora
