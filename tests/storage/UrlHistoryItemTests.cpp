#include "storage/UrlHistory.h"

#include <gtest/gtest.h>
#include <objidl.h>

#include <vector>

using namespace sweepora;

namespace {

// Sees every CoTaskMemFree of the process while registered.
class FreeSpy final : public IMallocSpy {
public:
    std::vector<void*> freed;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        *object = riid == IID_IUnknown || riid == IID_IMallocSpy ? this : nullptr;
        return *object != nullptr ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    void* STDMETHODCALLTYPE PreFree(void* p, BOOL) override { return p != nullptr ? freed.push_back(p), p : p; }
    // Everything else passes through.
    SIZE_T STDMETHODCALLTYPE PreAlloc(SIZE_T size) override { return size; }
    void* STDMETHODCALLTYPE PostAlloc(void* p) override { return p; }
    void STDMETHODCALLTYPE PostFree(BOOL) override {}
    SIZE_T STDMETHODCALLTYPE PreRealloc(void* p, SIZE_T size, void** out, BOOL) override { return *out = p, size; }
    void* STDMETHODCALLTYPE PostRealloc(void* p, BOOL) override { return p; }
    void* STDMETHODCALLTYPE PreGetSize(void* p, BOOL) override { return p; }
    SIZE_T STDMETHODCALLTYPE PostGetSize(SIZE_T size, BOOL) override { return size; }
    void* STDMETHODCALLTYPE PreDidAlloc(void* p, BOOL) override { return p; }
    int STDMETHODCALLTYPE PostDidAlloc(void*, BOOL, int actual) override { return actual; }
    void STDMETHODCALLTYPE PreHeapMinimize() override {}
    void STDMETHODCALLTYPE PostHeapMinimize() override {}
};

LPOLESTR TaskText(const wchar_t* text)
{
    const std::size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
    auto* copy = static_cast<LPOLESTR>(::CoTaskMemAlloc(bytes));
    memcpy(copy, text, bytes);
    return copy;
}

// A store that hands out two records with texts of the task allocator, as a real one does.
class FakeHistory final : public IUrlHistoryStg2, public IEnumSTATURL {
public:
    FILETIME visited{};
    std::vector<void*> titles, urls;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override { return *object = nullptr, E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE EnumUrls(IEnumSTATURL** entries) override { return given_ = 0, *entries = this, S_OK; }
    HRESULT STDMETHODCALLTYPE SetFilter(LPCOLESTR, DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Next(ULONG, LPSTATURL record, ULONG* fetched) override
    {
        *fetched = 0;
        if (given_ == 2) return S_FALSE;
        record->pwcsUrl = TaskText(given_ == 0 ? L"http://one.example/" : L"http://two.example/");
        record->pwcsTitle = TaskText(L"Title");
        record->ftLastVisited = visited;
        urls.push_back(record->pwcsUrl);
        titles.push_back(record->pwcsTitle);
        ++given_;
        *fetched = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reset() override { return given_ = 0, S_OK; }
    HRESULT STDMETHODCALLTYPE Clone(IEnumSTATURL**) override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE AddUrl(LPCOLESTR, LPCOLESTR, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeleteUrl(LPCOLESTR, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryUrl(LPCOLESTR, DWORD, LPSTATURL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BindToObject(LPCOLESTR, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AddUrlAndNotify(LPCOLESTR, LPCOLESTR, DWORD, BOOL, IOleCommandTarget*, IUnknown*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ClearHistory() override { return E_NOTIMPL; }

private:
    int given_ = 0;
};

} // namespace

TEST(UrlHistoryItem, FreesItsTextsTitleFirstAndReadsItsDateAgain)
{
    FakeHistory store;
    SYSTEMTIME utc{2026, 3, 0, 1, 12, 34, 56, 789};
    ASSERT_TRUE(::SystemTimeToFileTime(&utc, &store.visited));
    FILETIME local;
    SYSTEMTIME parts;
    ASSERT_TRUE(::FileTimeToLocalFileTime(&store.visited, &local) && ::FileTimeToSystemTime(&local, &parts));
    parts.wMilliseconds = 0;
    DATE expected = 0;
    ASSERT_TRUE(::SystemTimeToVariantTime(&parts, &expected));

    FreeSpy spy;
    ASSERT_EQ(::CoRegisterMallocSpy(&spy), S_OK);
    {
        CURLHistory history{ComPtr<IUrlHistoryStg2>(&store)};
        ASSERT_EQ(history.Count(), 2);
        EXPECT_EQ(history.Item(2).URL(), "http://two.example/");
        EXPECT_DOUBLE_EQ(history.Item(1).LastVisited(), expected);
        EXPECT_DOUBLE_EQ(history.Item(1).LastVisited(), expected);
        EXPECT_TRUE(spy.freed.empty()); // moving items into the collection frees nothing

        history.Refresh(); // the first snapshot's items go
        EXPECT_EQ(spy.freed, (std::vector<void*>{store.titles[0], store.urls[0], store.titles[1], store.urls[1]}));
    }
    EXPECT_EQ(spy.freed.size(), 8u);
    EXPECT_EQ(std::vector<void*>(spy.freed.begin() + 4, spy.freed.end()),
              (std::vector<void*>{store.titles[2], store.urls[2], store.titles[3], store.urls[3]}));
    ::CoRevokeMallocSpy();
}
