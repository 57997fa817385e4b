#pragma once
#include "engine/Session.h"
#include "platform/UrlCacheWalk.h"

#include <functional>
#include <string>

namespace sweepora {

// The walk the three cache cleaners share: nothing at all when the abort flag is already
// set; otherwise every entry matching `pattern` goes to `action`, then one log line, the
// done text with the timestamp or the title with "Aborted by user".
void CacheEnumeration(Session& session, const char* pattern, const std::string& title, const std::string& doneText,
                      const std::function<void(const UrlCacheEntry&)>& action);

// Content entries: counts their files and deletes them (never visited or cookie entries).
void CleanCacheFiles(Session& session);
// Visited entries of local files ("file:" addresses); web addresses stay for the history
// cleaner, which keeps the history safe list.
void CleanVisitedUrls(Session& session);
// Cookies not on the cookie safe list; a kept cookie counts nothing.
void CleanCookies(Session& session);

} // namespace sweepora
