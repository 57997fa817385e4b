#pragma once
#include "platform/UniqueHandle.h"

#include <cstdint>
#include <string>
#include <vector>

namespace sweepora {

// One entry as the folder listed it, before anything was opened.
struct ListedEntry {
    std::wstring name;
    DWORD attributes = 0;
    std::uint64_t size = 0;
    DWORD reparseTag = 0; // meaningful only with FILE_ATTRIBUTE_REPARSE_POINT
    std::uint64_t fileId = 0;
};

// A folder opened without following a link, and what it held when listed. The listing
// comes through the same handle, so the entries are those of the folder that was checked.
struct FolderListing {
    UniqueFile handle;
    std::wstring finalPath; // long form, as the system names the folder
    std::vector<ListedEntry> entries; // "." and ".." left out
    DWORD error = ERROR_SUCCESS;      // why it could not be listed
    bool isLink = false;              // the folder itself is a reparse point
};

// Lists the folder at `longPath` ("\\?\..."). On failure `error` says why and nothing is listed.
FolderListing ListFolder(const std::wstring& longPath);

// What an open file is: read in one cheap call (the volume, which costs Wine a trip to
// the server each time, is the folder's and is not asked again).
struct FileFacts {
    DWORD attributes = 0;
    std::uint64_t size = 0;
    DWORD links = 0;
    std::uint64_t fileId = 0;
};
// False, with the last error set, when the system cannot say.
bool QueryFileFacts(HANDLE file, FileFacts& facts);

// The final path of an open handle, long form; empty when the system cannot say.
std::wstring FinalPathOf(HANDLE handle);

// Equality of two paths as the system compares names: without regard to case, and
// without the trailing blanks and dots that Win32 drops from a name.
bool SamePath(const std::wstring& a, const std::wstring& b);

} // namespace sweepora
