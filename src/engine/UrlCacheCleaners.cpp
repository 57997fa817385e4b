#include "engine/UrlCacheCleaners.h"

#include "erasure/UrlCacheEntries.h"
#include "platform/ErrorText.h"
#include "platform/LongPath.h"
#include "platform/Text.h"
#include "platform/Timestamp.h"
#include "platform/WideText.h"
#include "safelists/CookieLoader.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

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

std::string Entries(std::int64_t n)
{
    return std::to_string(n) + (n == 1 ? " entry" : " entries");
}

} // namespace

void CacheEnumeration(Session& s, const char* pattern, const std::string& title, const std::string& doneText,
                      const std::function<std::optional<DWORD>(const UrlCacheEntry&)>& action)
{
    if (s.run.abort) return;
    std::int64_t erased = 0, failed = 0;
    // One line per reason, in the order first met: thousands of entries may fail alike.
    std::vector<std::pair<DWORD, std::int64_t>> reasons;
    const auto tally = [&](const UrlCacheEntry& entry) {
        const std::optional<DWORD> result = action(entry);
        // Kept, or gone since it was listed: neither erased nor failed.
        if (!result || *result == ERROR_FILE_NOT_FOUND) return;
        if (*result == ERROR_SUCCESS) {
            ++erased;
            return;
        }
        ++failed;
        auto reason = std::find_if(reasons.begin(), reasons.end(), [&](const auto& r) { return r.first == *result; });
        if (reason == reasons.end()) reason = reasons.insert(reasons.end(), {*result, 0});
        ++reason->second;
    };
    const DWORD walked = WalkUrlCache(pattern, tally, [&s] { return s.run.abort.load(); }, s.Yielder());
    for (const auto& [error, count] : reasons)
        s.log.AddLogEntry(title, Entries(count) + " could not be deleted: " + ErrorText(error));
    if (s.run.abort)
        s.log.AddLogEntry(title, "Aborted by user");
    else if (walked != ERROR_SUCCESS)
        s.log.AddLogEntry(title, "Not cleared: the cache could not be read to its end (" + ErrorText(walked) + "); " +
                                     Entries(erased) + " deleted before that");
    else if (failed > 0)
        s.log.AddLogEntry(title, "Not cleared: " + std::to_string(failed) + " of " + Entries(erased + failed) +
                                     " could not be deleted");
    else if (erased == 0)
        s.log.AddLogEntry(title, "Nothing to clear: the cache holds no such entries");
    else
        s.log.AddLogEntry(doneText, TimestampText());
}

void CleanCacheFiles(Session& s)
{
    EraseContext erasure = s.Erasure();
    CacheEnumeration(s, nullptr, "Internet Temporary files(Cache) ", "Internet Temporary files(Cache) cleared",
                     [&s, &erasure](const UrlCacheEntry& entry) -> std::optional<DWORD> {
                         // Only the start decides; the longer prefix is as far as case matters.
                         const std::string head = UpperCase(entry.url.substr(0, 8));
                         if (StartsWith(head, "VISITED:") || StartsWith(head, "COOKIE:")) return std::nullopt;
                         // Measured before it goes, counted once it went.
                         const std::int64_t size = LocalFileSize(entry.localPath);
                         const DWORD result = EraseUrlCacheEntry(erasure, entry.url, entry.localPath);
                         if (result == ERROR_SUCCESS) s.run.spaceSaved += size;
                         return result;
                     });
}

void CleanVisitedUrls(Session& s)
{
    EraseContext erasure = s.Erasure();
    // "Visited:" as the library spells its prefix: some implementations match it with case.
    CacheEnumeration(s, "Visited:", "Internet Visited URLs ", "Internet Visited URLs  cleared",
                     [&erasure](const UrlCacheEntry& entry) -> std::optional<DWORD> {
                         if (UpperCase(entry.url).find("FILE:") == std::string::npos) return std::nullopt;
                         return EraseUrlCacheEntry(erasure, entry.url, entry.localPath);
                     });
}

void CleanCookies(Session& s)
{
    EraseContext erasure = s.Erasure();
    CacheEnumeration(s, kCookiePrefix, "Internet Cookies ", "Internet Cookies",
                     [&s, &erasure](const UrlCacheEntry& entry) -> std::optional<DWORD> {
                         if (!StartsWith(entry.url, kCookiePrefix)) return std::nullopt;
                         if (IsInList(s.safeLists.cookies.safe, CookieName(entry.localPath), s.Yielder()))
                             return std::nullopt;
                         const std::int64_t size = LocalFileSize(entry.localPath);
                         const DWORD result = EraseUrlCacheEntry(erasure, entry.url, entry.localPath);
                         if (result == ERROR_SUCCESS) s.run.spaceSaved += size;
                         return result;
                     });
}

} // namespace sweepora
