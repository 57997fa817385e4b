#pragma once
#include "engine/Session.h"

#include <cstdint>
#include <string>

namespace sweepora {

// The erasure of one named file or of one folder tree at the session's level, for the
// program's own cleaners: see EraseNamedFile and WalkFolder. The file's path is UTF-8, of
// any length; its result is EraseNamedFile's.
DWORD EradicateFile(Session& session, const std::string& filePath, std::int16_t passes);

// Every non-hidden, non-system file below the folder; subfolders are removed when
// `removeSubfolders`, the folder itself when `removeFolder`. `folderPath` gets its
// trailing backslash in place.
void EradicateFolder(Session& session, std::string& folderPath, bool removeFolder, bool removeSubfolders);

// The custom-directories category: every folder of the directory list, emptied and
// removed; a folder the list may not hold (a drive root, a system folder) is skipped
// with a log line.
void CleanCustomDirs(Session& session);

} // namespace sweepora
