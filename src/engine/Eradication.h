#pragma once
#include "engine/Session.h"

#include <cstdint>
#include <string>

namespace sweepora {

// Overwrites the file `passes` times with pattern blocks, scrubs its name (when it was
// overwritten) and deletes it, all through one handle opened without following links.
// Logs exactly one line for an existing file, nothing for a missing one, and counts only
// what it really erased. A link, a file with other names (hard links) or a reparse point
// is never overwritten: the line says what was done instead. In test mode it only
// checks, counts and logs, and remembers the file as gone for the rest of the run.
// `filePath` is UTF-8, of any length. ERROR_SUCCESS when the file is gone (in a test run:
// would be) or was never there; otherwise the error that kept it, ERROR_CANNOT_MAKE for a
// file left in place for a reason of its own (a link, a replaced file).
DWORD EradicateFile(Session& session, const std::string& filePath, std::int16_t passes);

// Erases every non-hidden, non-system file below the folder, each entry once. Subfolders
// are removed when `removeSubfolders`, the folder itself when `removeFolder`; a folder is
// logged as removed only when it is gone, otherwise with the reason. Links are never
// followed. `folderPath` gets its trailing backslash in place.
void EradicateFolder(Session& session, std::string& folderPath, bool removeFolder, bool removeSubfolders);

// Removes a folder whose walk is over (in a test run: when `emptied`), logging it as removed
// only when it is gone, otherwise with the reason. True when it is gone.
bool RemoveWalkedFolder(Session& session, const std::string& folderPath, bool emptied);

// The custom-directories category: every folder of the directory list, emptied and
// removed; a folder the list may not hold (a drive root, a system folder) is skipped
// with a log line.
void CleanCustomDirs(Session& session);

// "Select a File to Delete": erases the file picked in the Open dialog.
void EradicateChosenFile(Session& session);

} // namespace sweepora
