#pragma once
#include "erasure/EraseContext.h"

#include <windows.h>

#include <string>

namespace sweepora {

// Overwrites an index.dat file of the internet library with spaces over its whole length,
// in place, so its old clusters are what get overwritten; the file itself stays, as the
// library expects to find it. Never through a link or a file with other names. A test run
// opens it as the live run would and writes nothing. ERROR_SUCCESS when overwritten (would
// be), ERROR_FILE_NOT_FOUND or ERROR_PATH_NOT_FOUND when there is no such file, otherwise
// why it was left as it was (ERROR_SHARING_VIOLATION while the library holds it open).
DWORD OverwriteIndexDat(const EraseContext& context, const std::string& path);

} // namespace sweepora
