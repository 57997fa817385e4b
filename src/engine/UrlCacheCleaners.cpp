#include "engine/UrlCacheCleaners.h"

#include "platform/Timestamp.h"
#include "safelists/CookieLoader.h"
#include "platform/LongPath.h"
#include "platform/Text.h"
#include "platform/WideText.h"

#include <cstdint>
#include <limits>

namespace sweepora {

namespace {

std::int64_t LocalFileSize(const std::string& path)
{
    // The cache hands out code-page paths; the file system is asked in the wide form.
    WIN32_FILE_ATTRIBUTE_DATA info;
    if (path.empty() || !::GetFileAttributesExW(LongPath(Utf8FromAnsi(path)).c_str(), GetFileExInfoStandard, &info))
        return 0;
    return (static_cast<std::int64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
}

bool StartsWith(const std::string& text, const char* prefix)
{
    return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

} // namespace

void CacheEnumeration(Session& s, const char* pattern, const std::string& title, const std::string& doneText,
                      const std::function<void(const UrlCacheEntry&)>& action)
{
    if (s.run.abort) return;
    WalkUrlCache(pattern, action, [&s] { return s.run.abort.load(); }, s.Yielder());
    if (s.run.abort)
        s.log.AddLogEntry(title, "Aborted by user");
    else
        s.log.AddLogEntry(doneText, TimestampText());
}

void CleanCacheFiles(Session& s)
{
    CacheEnumeration(s, nullptr, "Internet Temporary files(Cache) ", "Internet Temporary files(Cache) cleared",
                     [&s](const UrlCacheEntry& entry) {
                         // Only the start decides; the longer prefix is as far as case matters.
                         const std::string head = UpperCase(entry.url.substr(0, 8));
                         if (StartsWith(head, "VISITED:") || StartsWith(head, "COOKIE:")) return;
                         s.run.spaceSaved += LocalFileSize(entry.localPath);
                         if (s.run.live && !entry.url.empty()) ::DeleteUrlCacheEntryA(entry.url.c_str());
                     });
}

void CleanVisitedUrls(Session& s)
{
    // "Visited:" as the library spells its prefix: some implementations match it with case.
    CacheEnumeration(s, "Visited:", "Internet Visited URLs ", "Internet Visited URLs  cleared",
                     [&s](const UrlCacheEntry& entry) {
                         if (UpperCase(entry.url).find("FILE:") == std::string::npos) return;
                         if (s.run.live) ::DeleteUrlCacheEntryA(entry.url.c_str());
                     });
}

void CleanCookies(Session& s)
{
    CacheEnumeration(s, kCookiePrefix, "Internet Cookies ", "Internet Cookies", [&s](const UrlCacheEntry& entry) {
        const std::int64_t added = LocalFileSize(entry.localPath);
        s.run.spaceSaved += added;
        if (!StartsWith(entry.url, kCookiePrefix)) return;
        if (IsInList(s.safeLists.cookies.safe, CookieName(entry.localPath), s.Yielder())) {
            s.run.spaceSaved -= added;
            return;
        }
        if (s.run.live) ::DeleteUrlCacheEntryA(entry.url.c_str());
    });
}

} // namespace sweepora
