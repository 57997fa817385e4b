#pragma once
#include "engine/Session.h"

#include <cstdint>
#include <string>
#include <vector>

namespace sweepora {

// Overwrites the file `passes` times with pattern blocks (each 1024-byte block first with
// one pattern character, then with another), then deletes it. Counts and logs exactly one
// line for an existing file, nothing for a missing one. In test mode it only counts and logs.
// A file that is a reparse point is never opened: only the link is deleted.
void EradicateFile(Session& session, const std::string& filePath, std::int16_t passes);

// Erases every non-hidden, non-system file below the folder, walking each folder's
// entries once. Subfolders are removed when `removeSubfolders`, the folder itself when
// `removeFolder` (and then logged). Reparse points are never descended into.
// `folderPath` gets its trailing backslash in place.
void EradicateFolder(Session& session, std::string& folderPath, bool removeFolder, bool removeSubfolders);

// The custom-directories category: every folder of the directory list, emptied and removed.
void CleanCustomDirs(Session& session);

// "Select a File to Delete": erases the file picked in the Open dialog.
void EradicateChosenFile(Session& session);

// True when an element equals `name` with its blanks trimmed; yields after each comparison.
bool IsInArray(const std::vector<std::string>& list, const std::string& name, const YieldFn& yield);

} // namespace sweepora
