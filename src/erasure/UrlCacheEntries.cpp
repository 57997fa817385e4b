#include "erasure/UrlCacheEntries.h"

#include "erasure/FileEraser.h"
#include "platform/LongPath.h"
#include "platform/WideText.h"

#include <wininet.h>

namespace sweepora {

DWORD EraseUrlCacheEntry(EraseContext& context, const std::string& name, const std::string& localPath)
{
    if (name.empty()) return ERROR_INVALID_PARAMETER;
    if (!context.run.live) return ERROR_SUCCESS;
    if (!::DeleteUrlCacheEntryA(name.c_str())) {
        const DWORD error = ::GetLastError();
        // A failure the library did not explain is still a failure, never "cleared".
        return error == ERROR_SUCCESS ? ERROR_GEN_FAILURE : error;
    }
    if (localPath.empty()) return ERROR_SUCCESS;
    const std::string file = Utf8FromAnsi(localPath);
    if (::GetFileAttributesW(LongPath(file).c_str()) == INVALID_FILE_ATTRIBUTES) return ERROR_SUCCESS;
    return EraseNamedFile(context, file);
}

} // namespace sweepora
