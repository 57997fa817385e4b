#pragma once
#include "platform/UniqueHandle.h"

#include <windows.h>
#include <wininet.h>

#include <functional>
#include <string>

namespace sweepora {

struct CacheFindTraits {
    using Type = HANDLE;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { ::FindCloseUrlCache(h); }
};
using UniqueCacheFind = UniqueHandle<CacheFindTraits>;

// What the cleaners and the cookie list use of one cache record.
struct UrlCacheEntry {
    std::string url;       // also the key DeleteUrlCacheEntryA takes
    std::string localPath; // empty when the entry keeps no file
};

// Walks the URL cache entries matching `pattern` (null: every entry), one library call per
// entry, each record read into one locked block that grows when a record needs more.
// `stopped` is asked before each entry after the first, `yield` runs after each entry
// after the first. ERROR_SUCCESS when the entries ran out (an empty cache simply has
// none) or `stopped` ended the walk; otherwise why the library could not go on.
DWORD WalkUrlCache(const char* pattern, const std::function<void(const UrlCacheEntry&)>& action,
                  const std::function<bool()>& stopped, const std::function<void()>& yield);

} // namespace sweepora
