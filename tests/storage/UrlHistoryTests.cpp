#include "storage/UrlHistory.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <lmcons.h>
#include <wininet.h>

#include <algorithm>
#include <cwchar>

using namespace sweepora;

namespace {

// A store on the test's stack, its own enumerator, that hands out task-allocated texts
// and answers as it is told.
class FakeStore final : public IUrlHistoryStg2, public IEnumSTATURL {
public:
    std::vector<std::pair<const wchar_t*, const wchar_t*>> entries; // address, title
    HRESULT enumResult = S_OK, addResult = S_OK, clearResult = S_OK;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE AddUrl(LPCOLESTR, LPCOLESTR, DWORD) override { return addResult; }
    HRESULT STDMETHODCALLTYPE DeleteUrl(LPCOLESTR, DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE QueryUrl(LPCOLESTR, DWORD, LPSTATURL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BindToObject(LPCOLESTR, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumUrls(IEnumSTATURL** e) override
    {
        next_ = 0;
        *e = SUCCEEDED(enumResult) ? this : nullptr;
        return enumResult;
    }
    HRESULT STDMETHODCALLTYPE AddUrlAndNotify(LPCOLESTR, LPCOLESTR, DWORD, BOOL, IOleCommandTarget*, IUnknown*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE ClearHistory() override { return clearResult; }
    HRESULT STDMETHODCALLTYPE Next(ULONG, LPSTATURL record, ULONG* fetched) override
    {
        *fetched = next_ < entries.size() ? 1 : 0;
        if (*fetched == 0) return S_FALSE;
        record->pwcsUrl = Copy(entries[next_].first);
        record->pwcsTitle = Copy(entries[next_++].second);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reset() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Clone(IEnumSTATURL**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetFilter(LPCOLESTR, DWORD) override { return S_OK; }

private:
    static wchar_t* Copy(const wchar_t* text)
    {
        if (!text) return nullptr;
        auto* copy = static_cast<wchar_t*>(::CoTaskMemAlloc((std::wcslen(text) + 1) * sizeof(wchar_t)));
        return std::wcscpy(copy, text);
    }
    std::size_t next_ = 0;
};

} // namespace

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
}

TEST(UrlHistory, StoreFailuresRaiseExceptAClearingOne)
{
    FakeStore fake;
    fake.entries = {{L"http://one.example/", L"One"}, {L"http://two.example/", nullptr}};
    {
        CURLHistory history{ComPtr<IUrlHistoryStg2>(&fake)};
        ASSERT_EQ(history.Count(), 2);
        EXPECT_EQ(history.Item(1).Title() + "|" + history.Item(2).Title(), std::string("One|") + kNoTitleGiven);
        fake.clearResult = E_FAIL;
        EXPECT_NO_THROW(history.Clear());
        EXPECT_EQ(history.Count(), 2);
        fake.addResult = E_ACCESSDENIED;
        EXPECT_THROW(history.AddURL("http://x.example/", "", 0), UrlHistoryError);
        fake.enumResult = E_FAIL;
        EXPECT_THROW(history.Refresh(), UrlHistoryError);
        EXPECT_EQ(history.Count(), 2);
    }
    // A shell store that does not enumerate gives way to ours.
    fake.enumResult = E_NOTIMPL;
    const ComPtr<IUrlHistoryStg2> ours = ChooseUrlHistoryStore(ComPtr<IUrlHistoryStg2>(&fake));
    EXPECT_TRUE(ours && ours.get() != &fake);
    fake.enumResult = S_OK;
    EXPECT_EQ(ChooseUrlHistoryStore(ComPtr<IUrlHistoryStg2>(&fake)).get(), &fake);
    EXPECT_THROW(CURLHistory{ComPtr<IUrlHistoryStg2>()}, UrlHistoryError);
}
