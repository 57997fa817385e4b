#include "storage/UrlCacheWalk.h"

#include "storage/MemoryManagement.h"

namespace sweepora {

namespace {

UrlCacheEntry ReadEntry(const clsMemoryManagement& buffer, DWORD size)
{
    INTERNET_CACHE_ENTRY_INFOA head = {};
    buffer.ReadFrom(&head, sizeof head);
    return {buffer.ExtractString(head.lpszSourceUrlName, size),
            buffer.ExtractString(head.lpszLocalFileName, size)};
}

} // namespace

void WalkUrlCache(const char* pattern, const std::function<void(const UrlCacheEntry&)>& action,
                  const std::function<bool()>& stopped, const std::function<void()>& yield)
{
    // Asking with no buffer opens nothing and tells the size the first entry needs.
    DWORD size = 0;
    UniqueCacheFind probe(::FindFirstUrlCacheEntryA(pattern, nullptr, &size));
    if (probe || size == 0) return;

    clsMemoryManagement buffer;
    buffer.Allocate(size);
    UniqueCacheFind find(::FindFirstUrlCacheEntryA(
        pattern, static_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.Handle()), &size));
    if (!find) return;
    action(ReadEntry(buffer, size));

    while (!stopped()) {
        // The library answers the size of the next entry without moving past it.
        size = 0;
        ::FindNextUrlCacheEntryA(find.get(), nullptr, &size);
        if (size < 1) break;
        buffer.Allocate(size);
        if (!::FindNextUrlCacheEntryA(find.get(), static_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.Handle()),
                                      &size))
            break;
        action(ReadEntry(buffer, size));
        if (yield) yield();
    }
}

} // namespace sweepora
