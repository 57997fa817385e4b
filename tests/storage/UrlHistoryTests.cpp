#include "storage/UrlHistory.h"

#include "support/TestSupport.h"

#include <lmcons.h>
#include <objidl.h>
#include <wininet.h>

#include <algorithm>

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
    std::vector<void*> texts; // each record's title, then its address: the order they must be freed in

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
        texts.insert(texts.end(), {record->pwcsTitle, record->pwcsUrl});
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
        EXPECT_EQ(spy.freed, std::vector<void*>(store.texts.begin(), store.texts.begin() + 4));
    }
    ASSERT_EQ(store.texts.size(), 8u); // a second snapshot was read,
    EXPECT_EQ(spy.freed, store.texts);  // and its items went with the collection
    ::CoRevokeMallocSpy();
}

TEST(UrlHistory, OwnStoreKeepsEntriesInTheBrowsersHistoryContainer)
{
    test::ScratchHistory scratch;
    CURLHistory history; // Wine's shell store implements nothing: this is ours
    history.AddURL("http://a.example/", "A page", 0);
    history.AddURL("http://b.example/", "", 0);
    history.AddURL("ftp://c.example/", "", 0);
    EXPECT_EQ(history.Count(), 0);
    char user[UNLEN + 1];
    DWORD size = sizeof user;
    ASSERT_TRUE(::GetUserNameA(user, &size));
    const std::string entry = "Visited: " + std::string(user) + "@http://b.example/";
    size = 0; // asks only for the size of an entry that is there
    EXPECT_FALSE(::GetUrlCacheEntryInfoA(entry.c_str(), nullptr, &size));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

    history.Refresh();
    ASSERT_EQ(history.Count(), 3);
    for (const URLHistoryItem& item : history.NewEnum()) {
        EXPECT_EQ(item.Title(), item.URL() == "http://a.example/" ? "A page" : kNoTitleGiven);
        EXPECT_GT(item.LastVisited(), 44197.0); // after 2021
    }
    history.Refresh(std::string("HTTP://"), STATURL_QUERYFLAG_NOTITLE);
    ASSERT_EQ(history.Count(), 2);
    EXPECT_EQ(history.Item(1).Title() + history.Item(2).Title(), std::string(kNoTitleGiven) + kNoTitleGiven);

    history.Refresh();
    const std::string removed = history.Item(1).URL();
    history.Remove(1);
    EXPECT_EQ(history.Count(), 2);
    const std::vector<std::string> left = test::HistoryUrls();
    EXPECT_TRUE(left.size() == 2 && std::count(left.begin(), left.end(), removed) == 0);
    history.DeleteURL(history.Item(1).URL(), 0);
    EXPECT_EQ(history.Count(), 1);
    EXPECT_THROW(history.Item(2), UrlHistoryError);
    EXPECT_THROW(history.AddURL("", "", 0), UrlHistoryError);
    history.Clear();
    EXPECT_EQ(history.Count(), 0);
    EXPECT_TRUE(test::HistoryUrls().empty());

    // A store that could not be created: ours takes its place, and a collection over none is refused.
    EXPECT_TRUE(ChooseUrlHistoryStore(ComPtr<IUrlHistoryStg2>()));
    EXPECT_THROW(CURLHistory{ComPtr<IUrlHistoryStg2>()}, UrlHistoryError);
}
