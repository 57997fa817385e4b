#pragma once
#include "erasure/EraseContext.h"
#include "platform/FolderListing.h"

#include <windows.h>

#include <string>

namespace sweepora {

// One file as a folder listing found it: what is opened is the listed folder's final path
// and the listed name, and the file opened must be the one listed.
struct ListedFile {
    std::string display;   // UTF-8, as the log names it
    std::wstring longPath; // the folder's final path, a backslash, the listed name
    ListedEntry entry;     // fileId 0: not known
};

// Overwrites the file `context.passes` times, scrubs its name and deletes it, all through
// one handle opened without following links. Logs exactly one line and counts only what
// it really erased. A link, a file with other names (hard links), a reparse point or a
// file replaced since it was listed is never overwritten: the line says what was done
// instead. In a test run it opens the file as the live run would, so that what the run
// would refuse is said, counts, logs and remembers the file as gone for the rest of the run.
// ERROR_SUCCESS when the file is gone (would be) or was already; otherwise why it stayed,
// ERROR_CANNOT_MAKE for a file left in place for a reason of its own; a file that stays
// (other than by an abort) is counted in the run's filesLeft.
DWORD EraseListedFile(EraseContext& context, const ListedFile& file);

// The same for a file a caller names: the name is listed first, in its folder's final path.
// Nothing is logged for a missing file.
DWORD EraseNamedFile(EraseContext& context, const std::string& filePath);

// Removes a linked folder found in a walk: the link goes, never what it points to.
bool RemoveFolderLink(EraseContext& context, const ListedFile& link);

// A test run treats what it already counted as erased as gone, so that its lines are the
// live run's: a file erased in one walk is not found again by a later one.
bool GoneInPreview(const RunState& run, const std::wstring& longPath);
void RememberGone(RunState& run, const std::wstring& longPath);

} // namespace sweepora
