#include "CacheSeeding.h"

#include "platform/UniqueHandle.h"
#include "platform/UrlCacheWalk.h"

#include <lmcons.h>
#include <wininet.h>

namespace sweepora::seed {

std::vector<CacheEntry> CacheEntries(const char* pattern)
{
    std::vector<CacheEntry> entries;
    std::vector<char> buffer(64 * 1024);
    DWORD size = static_cast<DWORD>(buffer.size());
    auto* info = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.data());
    UniqueCacheFind find(::FindFirstUrlCacheEntryA(pattern, info, &size));
    if (!find) return entries;
    do {
        entries.push_back({info->lpszSourceUrlName ? info->lpszSourceUrlName : "",
                           info->lpszLocalFileName ? info->lpszLocalFileName : "", info->CacheEntryType});
        size = static_cast<DWORD>(buffer.size());
    } while (::FindNextUrlCacheEntryA(find.get(), info, &size));
    return entries;
}

std::vector<std::string> CacheUrls(const char* pattern)
{
    std::vector<std::string> urls;
    for (const CacheEntry& e : CacheEntries(pattern)) urls.push_back(e.url);
    return urls;
}

std::string AddContent(const std::string& url, const std::string& body)
{
    char file[MAX_PATH] = {};
    if (!::CreateUrlCacheEntryA(url.c_str(), 0, "htm", file, 0)) return {};
    {
        UniqueFile h(::CreateFileA(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        if (!h || !::WriteFile(h.get(), body.data(), static_cast<DWORD>(body.size()), &written, nullptr)) return {};
    }
    FILETIME never = {};
    if (!::CommitUrlCacheEntryA(url.c_str(), file, never, never, NORMAL_CACHE_ENTRY, nullptr, 0, nullptr, nullptr))
        return {};
    return file;
}

bool AddCookie(const std::string& url, const std::string& nameValue)
{
    const std::string cookie = nameValue + "; expires=Fri, 31 Dec 2038 23:59:59 GMT";
    return ::InternetSetCookieA(url.c_str(), nullptr, cookie.c_str());
}

bool AddVisited(const std::string& url)
{
    char user[UNLEN + 1] = {};
    DWORD size = sizeof user;
    ::GetUserNameA(user, &size);
    const std::string name = "Visited: " + std::string(user) + "@" + url;
    FILETIME never = {};
    return ::CommitUrlCacheEntryA(name.c_str(), nullptr, never, never, URLHISTORY_CACHE_ENTRY, nullptr, 0, nullptr,
                                  nullptr);
}

void ClearUrlCache()
{
    for (const CacheEntry& e : CacheEntries(nullptr)) ::DeleteUrlCacheEntryA(e.url.c_str());
}

unsigned long long ReservedAddressSpace()
{
    unsigned long long total = 0;
    MEMORY_BASIC_INFORMATION region = {};
    for (const char* at = nullptr; ::VirtualQuery(at, &region, sizeof region) == sizeof region;
         at = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State != MEM_FREE) total += region.RegionSize;
    }
    return total;
}

} // namespace sweepora::seed
