#include "platform/UrlCacheWalk.h"

#include "platform/MemoryManagement.h"

namespace sweepora {

namespace {

// Most records fit in a page; a longer one grows the block, which then stays that size.
constexpr DWORD kFirstBlock = 4096;

// One record into the walk's block. `read` is the find-first or find-next call with the
// block and its size; a record too large for the block grows it and is asked for again,
// which the library allows because a refused record is not passed over.
template <typename Read>
bool ReadRecord(clsMemoryManagement& buffer, DWORD& capacity, const Read& read)
{
    for (;;) {
        if (!buffer.Handle()) return false;
        DWORD size = capacity;
        if (read(static_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.Handle()), &size)) return true;
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || size <= capacity) return false;
        capacity = size;
        buffer.Allocate(capacity);
    }
}

UrlCacheEntry ReadEntry(const clsMemoryManagement& buffer, DWORD capacity)
{
    INTERNET_CACHE_ENTRY_INFOA head = {};
    buffer.ReadFrom(&head, sizeof head);
    return {buffer.ExtractString(head.lpszSourceUrlName, capacity),
            buffer.ExtractString(head.lpszLocalFileName, capacity)};
}

} // namespace

DWORD WalkUrlCache(const char* pattern, const std::function<void(const UrlCacheEntry&)>& action,
                   const std::function<bool()>& stopped, const std::function<void()>& yield)
{
    // The end of the entries is no failure; anything else the library says is.
    const auto ended = [] {
        const DWORD error = ::GetLastError();
        return error == ERROR_NO_MORE_ITEMS || error == ERROR_FILE_NOT_FOUND ? DWORD{ERROR_SUCCESS} : error;
    };
    clsMemoryManagement buffer;
    DWORD capacity = kFirstBlock;
    buffer.Allocate(capacity);
    UniqueCacheFind find;
    const bool first = ReadRecord(buffer, capacity, [&](INTERNET_CACHE_ENTRY_INFOA* info, DWORD* size) {
        find.reset(::FindFirstUrlCacheEntryA(pattern, info, size));
        return static_cast<bool>(find);
    });
    if (!first) return buffer.Handle() ? ended() : DWORD{ERROR_NOT_ENOUGH_MEMORY};
    action(ReadEntry(buffer, capacity));

    while (!stopped()) {
        const bool next = ReadRecord(buffer, capacity, [&](INTERNET_CACHE_ENTRY_INFOA* info, DWORD* size) {
            return ::FindNextUrlCacheEntryA(find.get(), info, size) != FALSE;
        });
        if (!next) return buffer.Handle() ? ended() : DWORD{ERROR_NOT_ENOUGH_MEMORY};
        action(ReadEntry(buffer, capacity));
        if (yield) yield();
    }
    return ERROR_SUCCESS;
}

} // namespace sweepora
