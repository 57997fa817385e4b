#include "safelists/CookieLoader.h"

#include "platform/UrlCacheWalk.h"
#include "safelists/SafeListFile.h"

namespace sweepora {

std::string CookieName(const std::string& localPath)
{
    const std::size_t slash = localPath.rfind('\\');
    return slash == std::string::npos ? localPath : localPath.substr(slash + 1);
}

void LoadCookies(ListPair& page, const SafeListFolders& folders, const YieldFn& yield)
{
    LoadListFromFile(page.safe, SafeListReadPath(folders, kSafeCookieFile), yield);
    page.clean.Clear();
    WalkUrlCache(
        kCookiePrefix,
        [&page](const UrlCacheEntry& entry) {
            if (entry.url.compare(0, 7, kCookiePrefix) == 0) page.clean.Add(CookieName(entry.localPath));
        },
        [] { return false; }, yield);
    RemoveKeptEntries(page.clean, page.safe, yield);
}

} // namespace sweepora
