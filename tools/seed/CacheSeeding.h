#pragma once
// Browser traces made the way the browser makes them, for the demo, the tests and the
// benchmark.
#include <windows.h>

#include <string>
#include <vector>

namespace sweepora::seed {

struct CacheEntry {
    std::string url, file;
    DWORD type = 0;
};

// Every entry matching `pattern` (null: all), read with a buffer large enough for any.
std::vector<CacheEntry> CacheEntries(const char* pattern);
// The entries' URLs, in the cache's order.
std::vector<std::string> CacheUrls(const char* pattern);
// A cached page with `body` in its local file; returns that file's path, empty on failure.
std::string AddContent(const std::string& url, const std::string& body);
// A persistent cookie (it has a file under the cookies folder).
bool AddCookie(const std::string& url, const std::string& nameValue);
// A visited entry, "Visited: <user>@<url>", without a local file.
bool AddVisited(const std::string& url);
// Deletes every entry of every container.
void ClearUrlCache();
// Bytes of this process's address space that are reserved or committed.
unsigned long long ReservedAddressSpace();

} // namespace sweepora::seed
