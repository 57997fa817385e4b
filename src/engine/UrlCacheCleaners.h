#pragma once
#include "engine/Session.h"
#include "platform/UrlCacheWalk.h"

#include <functional>
#include <optional>
#include <string>

namespace sweepora {

// The walk the three cache cleaners share: nothing at all when the abort flag is already
// set; otherwise every entry matching `pattern` goes to `action`, which answers nothing for
// an entry it keeps, or the erasure's result. Then, under the title, one line per reason
// entries could not be deleted, and the end line: the done text with the timestamp when
// every entry asked for went, otherwise the title with "Aborted by user", "Not cleared: ..."
// or "Nothing to clear: ..." for a cache without such entries.
void CacheEnumeration(Session& session, const char* pattern, const std::string& title, const std::string& doneText,
                      const std::function<std::optional<DWORD>(const UrlCacheEntry&)>& action);

// Content entries: deletes them and counts the files of those that went (never visited or
// cookie entries).
void CleanCacheFiles(Session& session);
// Visited entries of local files ("file:" addresses); web addresses stay for the history
// cleaner, which keeps the history safe list.
void CleanVisitedUrls(Session& session);
// Cookies not on the cookie safe list; a kept cookie, or one that stayed, counts nothing.
void CleanCookies(Session& session);

} // namespace sweepora
