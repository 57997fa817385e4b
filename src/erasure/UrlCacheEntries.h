#pragma once
#include "erasure/EraseContext.h"

#include <windows.h>

#include <string>

namespace sweepora {

// Deletes one entry of the internet library's cache (a page, a cookie, a visited address)
// by its name, with the local file the library keeps for it (`localPath`, in the code page
// as the library gives it; empty for none); a test run deletes nothing. A local file the
// library left behind (it does when another program holds it) goes through the file
// eraser, which logs its own line when it cannot. ERROR_SUCCESS when all of it went (in a
// test run: would be asked to go), ERROR_FILE_NOT_FOUND when the entry was no longer
// there, otherwise the reason the entry or its file stayed.
DWORD EraseUrlCacheEntry(EraseContext& context, const std::string& name, const std::string& localPath = {});

} // namespace sweepora
