#include "engine/UrlCacheCleaners.h"

#include "erasure/UrlCacheEntries.h"
#include "platform/LongPath.h"
#include "platform/Text.h"
#include "platform/Timestamp.h"
#include "platform/WideText.h"
#include "safelists/CookieLoader.h"

#include <cstdint>

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
    const EraseContext erasure = s.Erasure();
    CacheEnumeration(s, nullptr, "Internet Temporary files(Cache) ", "Internet Temporary files(Cache) cleared",
                     [&s, &erasure](const UrlCacheEntry& entry) {
                         // Only the start decides; the longer prefix is as far as case matters.
                         const std::string head = UpperCase(entry.url.substr(0, 8));
                         if (StartsWith(head, "VISITED:") || StartsWith(head, "COOKIE:")) return;
                         s.run.spaceSaved += LocalFileSize(entry.localPath);
                         EraseUrlCacheEntry(erasure, entry.url);
                     });
}

void CleanVisitedUrls(Session& s)
{
    const EraseContext erasure = s.Erasure();
    // "Visited:" as the library spells its prefix: some implementations match it with case.
    CacheEnumeration(s, "Visited:", "Internet Visited URLs ", "Internet Visited URLs  cleared",
                     [&erasure](const UrlCacheEntry& entry) {
                         if (UpperCase(entry.url).find("FILE:") == std::string::npos) return;
                         EraseUrlCacheEntry(erasure, entry.url);
                     });
}

void CleanCookies(Session& s)
{
    const EraseContext erasure = s.Erasure();
    CacheEnumeration(s, kCookiePrefix, "Internet Cookies ", "Internet Cookies", [&s, &erasure](const UrlCacheEntry& entry) {
        const std::int64_t added = LocalFileSize(entry.localPath);
        s.run.spaceSaved += added;
        if (!StartsWith(entry.url, kCookiePrefix)) return;
        if (IsInList(s.safeLists.cookies.safe, CookieName(entry.localPath), s.Yielder())) {
            s.run.spaceSaved -= added;
            return;
        }
        EraseUrlCacheEntry(erasure, entry.url);
    });
}

} // namespace sweepora
