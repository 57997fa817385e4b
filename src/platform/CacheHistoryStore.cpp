#include "platform/CacheHistoryStore.h"

#include "platform/Text.h"
#include "platform/UrlCacheWalk.h"
#include "platform/WideText.h"

#include <lmcons.h>
#include <objbase.h>
#include <wininet.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace sweepora {

namespace {

// Wine compares the container prefix with its case; this spelling works on both.
constexpr const char* kVisitedPattern = "Visited:";
constexpr const char* kVisitedPrefix = "Visited: ";
constexpr const char* kTitleHeader = "Title: ";

HRESULT LastError()
{
    const DWORD error = ::GetLastError();
    return error == ERROR_SUCCESS ? E_FAIL : HRESULT_FROM_WIN32(error);
}

// "Visited: <user>@": the start of every entry of the current user.
std::string UserPrefix()
{
    char name[UNLEN + 1] = {};
    DWORD size = sizeof name;
    return kVisitedPrefix + std::string(::GetUserNameA(name, &size) ? name : "") + "@";
}

bool StartsWithIgnoringCase(const std::string& text, const std::string& prefix)
{
    return text.size() >= prefix.size() && EqualsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

// One variable-size cache record, grown when the library asks for more.
class EntryBuffer {
public:
    INTERNET_CACHE_ENTRY_INFOA* Info() { return reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(words_.data()); }
    DWORD Size() const { return static_cast<DWORD>(words_.size() * sizeof(std::uint64_t)); }
    // False when the library asks for no more than it had: asking again would not help.
    bool GrowTo(DWORD needed)
    {
        if (needed <= Size()) return false;
        words_.resize((needed + sizeof(std::uint64_t) - 1) / sizeof(std::uint64_t));
        return true;
    }

private:
    std::vector<std::uint64_t> words_ = std::vector<std::uint64_t>(512);
};

// Reads the next "Visited:" entry: S_OK, S_FALSE at the end, or the failure.
HRESULT ReadEntry(UniqueCacheFind& find, EntryBuffer& buffer)
{
    for (;;) {
        DWORD size = buffer.Size();
        bool read;
        if (find) {
            read = ::FindNextUrlCacheEntryA(find.get(), buffer.Info(), &size) != FALSE;
        } else {
            find.reset(::FindFirstUrlCacheEntryA(kVisitedPattern, buffer.Info(), &size));
            read = static_cast<bool>(find);
        }
        if (read) return S_OK;
        const DWORD error = ::GetLastError();
        if (error == ERROR_NO_MORE_ITEMS) return S_FALSE;
        if (error != ERROR_INSUFFICIENT_BUFFER || !buffer.GrowTo(size)) return LastError();
    }
}

HRESULT ReadEntryInfo(const std::string& name, EntryBuffer& buffer)
{
    for (;;) {
        DWORD size = buffer.Size();
        if (::GetUrlCacheEntryInfoA(name.c_str(), buffer.Info(), &size)) return S_OK;
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || !buffer.GrowTo(size)) return LastError();
    }
}

wchar_t* TaskMemCopy(const std::string& text)
{
    const std::wstring wide = WideFromAnsi(text);
    auto* copy = static_cast<wchar_t*>(::CoTaskMemAlloc((wide.size() + 1) * sizeof(wchar_t)));
    if (copy) std::copy(wide.c_str(), wide.c_str() + wide.size() + 1, copy);
    return copy;
}

std::string TitleOf(const INTERNET_CACHE_ENTRY_INFOA& info)
{
    if (!info.lpHeaderInfo || info.dwHeaderInfoSize == 0) return {};
    std::string header(info.lpHeaderInfo, info.dwHeaderInfoSize);
    header.resize(std::min(header.size(), header.find('\0')));
    const std::size_t start = std::strlen(kTitleHeader);
    if (header.compare(0, start, kTitleHeader) != 0) return {};
    return header.substr(start, header.find("\r\n") - start);
}

void FreeRecord(STATURL& record)
{
    ::CoTaskMemFree(record.pwcsTitle);
    ::CoTaskMemFree(record.pwcsUrl);
    record.pwcsTitle = nullptr;
    record.pwcsUrl = nullptr;
}

// The texts of a filled record are the caller's to free.
HRESULT FillRecord(const INTERNET_CACHE_ENTRY_INFOA& info, const std::string& url, DWORD flags, STATURL& record)
{
    record.cbSize = sizeof(STATURL);
    record.pwcsUrl = nullptr;
    record.pwcsTitle = nullptr;
    record.ftLastVisited = info.LastAccessTime;
    record.ftLastUpdated = info.LastModifiedTime;
    record.ftExpires = info.ExpireTime;
    record.dwFlags = 0;
    const std::string title = TitleOf(info);
    const bool wantUrl = !(flags & STATURL_QUERYFLAG_NOURL);
    const bool wantTitle = !(flags & STATURL_QUERYFLAG_NOTITLE) && !title.empty();
    if (wantUrl) record.pwcsUrl = TaskMemCopy(url);
    if (wantTitle) record.pwcsTitle = TaskMemCopy(title);
    if ((wantUrl && !record.pwcsUrl) || (wantTitle && !record.pwcsTitle)) {
        FreeRecord(record);
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

template <typename Self>
class RefCounted {
protected:
    ULONG AddReference() { return ++references_; }
    ULONG DropReference()
    {
        const ULONG left = --references_;
        if (left == 0) {
            // The last reference owns the object.
            std::unique_ptr<Self> last(static_cast<Self*>(this));
        }
        return left;
    }

private:
    std::atomic<ULONG> references_{1};
};

template <typename Interface>
HRESULT Hand(Interface* object, void** out)
{
    *out = object;
    object->AddRef();
    return S_OK;
}

class CacheHistoryEnum final : public IEnumSTATURL, public RefCounted<CacheHistoryEnum> {
public:
    CacheHistoryEnum() : userPrefix_(UserPrefix()) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        if (!object) return E_POINTER;
        if (IsEqualIID(riid, __uuidof(IUnknown)) || IsEqualIID(riid, __uuidof(IEnumSTATURL)))
            return Hand(static_cast<IEnumSTATURL*>(this), object);
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return AddReference(); }
    ULONG STDMETHODCALLTYPE Release() override { return DropReference(); }

    HRESULT STDMETHODCALLTYPE Next(ULONG celt, LPSTATURL rgelt, ULONG* fetched) override
    {
        if (fetched) *fetched = 0;
        if (!rgelt || (celt > 1 && !fetched)) return E_POINTER;
        ULONG got = 0;
        while (got < celt) {
            std::string url;
            HRESULT result = NextMatch(url);
            if (result == S_OK) result = FillRecord(*buffer_.Info(), url, flags_, rgelt[got]);
            if (result == S_FALSE) break;
            if (FAILED(result)) {
                while (got > 0) FreeRecord(rgelt[--got]);
                return result;
            }
            ++got;
        }
        if (fetched) *fetched = got;
        return got == celt ? S_OK : S_FALSE;
    }

    HRESULT STDMETHODCALLTYPE Skip(ULONG celt) override
    {
        for (ULONG skipped = 0; skipped < celt; ++skipped) {
            std::string url;
            const HRESULT result = NextMatch(url);
            if (result != S_OK) return result;
        }
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE Reset() override
    {
        find_.reset();
        done_ = false;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE Clone(IEnumSTATURL** copy) override
    {
        if (copy) *copy = nullptr;
        return E_NOTIMPL;
    }

    HRESULT STDMETHODCALLTYPE SetFilter(LPCOLESTR filter, DWORD flags) override
    {
        filter_ = AnsiFromWide(filter);
        flags_ = flags;
        return S_OK;
    }

private:
    // The address of the next entry that is the user's and passes the filter.
    HRESULT NextMatch(std::string& url)
    {
        while (!done_) {
            const HRESULT result = ReadEntry(find_, buffer_);
            if (result != S_OK) {
                done_ = true;
                return result;
            }
            const char* name = buffer_.Info()->lpszSourceUrlName;
            if (!name || !StartsWithIgnoringCase(name, userPrefix_)) continue;
            url = std::string(name).substr(userPrefix_.size());
            if (StartsWithIgnoringCase(url, filter_)) return S_OK;
        }
        return S_FALSE;
    }

    const std::string userPrefix_;
    std::string filter_;
    DWORD flags_ = 0;
    UniqueCacheFind find_;
    bool done_ = false;
    EntryBuffer buffer_;
};

class CacheHistoryStore final : public IUrlHistoryStg2, public RefCounted<CacheHistoryStore> {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        if (!object) return E_POINTER;
        if (IsEqualIID(riid, __uuidof(IUnknown)) || IsEqualIID(riid, __uuidof(IUrlHistoryStg)) ||
            IsEqualIID(riid, __uuidof(IUrlHistoryStg2)))
            return Hand(static_cast<IUrlHistoryStg2*>(this), object);
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return AddReference(); }
    ULONG STDMETHODCALLTYPE Release() override { return DropReference(); }

    // Both flags add the visited entry: we keep no page content.
    HRESULT STDMETHODCALLTYPE AddUrl(LPCOLESTR url, LPCOLESTR title, DWORD) override
    {
        if (!url || !*url) return E_INVALIDARG;
        const std::string titleText = AnsiFromWide(title);
        std::string header = titleText.empty() ? std::string() : kTitleHeader + titleText + "\r\n";
        FILETIME now{};
        ::GetSystemTimeAsFileTime(&now);
        const FILETIME never{};
        const std::string name = UserPrefix() + AnsiFromWide(url);
        if (!::CommitUrlCacheEntryA(name.c_str(), nullptr, never, now, URLHISTORY_CACHE_ENTRY,
                                    header.empty() ? nullptr : reinterpret_cast<LPBYTE>(&header[0]),
                                    static_cast<DWORD>(header.size()), nullptr, nullptr))
            return LastError();
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE DeleteUrl(LPCOLESTR url, DWORD) override
    {
        if (!url || !*url) return E_INVALIDARG;
        return ::DeleteUrlCacheEntryA((UserPrefix() + AnsiFromWide(url)).c_str()) ? S_OK : LastError();
    }

    HRESULT STDMETHODCALLTYPE QueryUrl(LPCOLESTR url, DWORD flags, LPSTATURL record) override
    {
        if (!url || !*url) return E_INVALIDARG;
        EntryBuffer buffer;
        const HRESULT result = ReadEntryInfo(UserPrefix() + AnsiFromWide(url), buffer);
        if (FAILED(result) || !record) return result;
        return FillRecord(*buffer.Info(), AnsiFromWide(url), flags, *record);
    }

    HRESULT STDMETHODCALLTYPE BindToObject(LPCOLESTR, REFIID, void** object) override
    {
        if (object) *object = nullptr;
        return E_NOTIMPL;
    }

    HRESULT STDMETHODCALLTYPE EnumUrls(IEnumSTATURL** entries) override
    {
        if (!entries) return E_POINTER;
        *entries = std::make_unique<CacheHistoryEnum>().release();
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE AddUrlAndNotify(LPCOLESTR url, LPCOLESTR title, DWORD flags, BOOL, IOleCommandTarget*,
                                              IUnknown*) override
    {
        return AddUrl(url, title, flags);
    }

    HRESULT STDMETHODCALLTYPE ClearHistory() override
    {
        // Names first: deleting while the walk is open could make it skip entries.
        std::vector<std::string> names;
        UniqueCacheFind find;
        EntryBuffer buffer;
        HRESULT result;
        while ((result = ReadEntry(find, buffer)) == S_OK) {
            const char* name = buffer.Info()->lpszSourceUrlName;
            if (name && std::strncmp(name, kVisitedPrefix, std::strlen(kVisitedPrefix)) == 0) names.emplace_back(name);
        }
        find.reset();
        for (const std::string& name : names)
            if (!::DeleteUrlCacheEntryA(name.c_str()) && SUCCEEDED(result)) result = LastError();
        return FAILED(result) ? result : S_OK;
    }
};

} // namespace

ComPtr<IUrlHistoryStg2> CreateCacheHistoryStore()
{
    return ComPtr<IUrlHistoryStg2>(std::make_unique<CacheHistoryStore>().release());
}

} // namespace sweepora
