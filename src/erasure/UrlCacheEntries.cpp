#include "erasure/UrlCacheEntries.h"

#include <windows.h>
#include <wininet.h>

namespace sweepora {

bool EraseUrlCacheEntry(const EraseContext& context, const std::string& name)
{
    if (!context.run.live || name.empty()) return true;
    return ::DeleteUrlCacheEntryA(name.c_str()) != FALSE;
}

} // namespace sweepora
