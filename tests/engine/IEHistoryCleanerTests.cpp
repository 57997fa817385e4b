#include "engine/IEHistoryCleaner.h"
#include "platform/ErrorText.h"
#include "platform/UrlHistory.h"

#include "support/TestSupport.h"

using namespace sweepora;
using Urls = test::Texts;

namespace {

struct IEHistoryFixture : test::SessionFixture {
    test::ScratchHistory scratch;

    void KeepInMemory(const Urls& urls)
    {
        session.safeLists.history.safe.Clear();
        for (const std::string& url : urls) session.safeLists.history.safe.Add(url);
    }
};

// The platform's store, except that it can no longer list its entries once cleared, or
// refuses to clear with `refusal`.
class BrokenOnceCleared final : public IUrlHistoryStg2 {
public:
    explicit BrokenOnceCleared(HRESULT refusal = S_OK) : refusal_(refusal) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override { return *object = nullptr, E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE AddUrl(LPCOLESTR url, LPCOLESTR title, DWORD flags) override
    {
        return real_.get()->AddUrl(url, title, flags);
    }
    HRESULT STDMETHODCALLTYPE DeleteUrl(LPCOLESTR url, DWORD flags) override { return real_.get()->DeleteUrl(url, flags); }
    HRESULT STDMETHODCALLTYPE QueryUrl(LPCOLESTR, DWORD, LPSTATURL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BindToObject(LPCOLESTR, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumUrls(IEnumSTATURL** entries) override
    {
        return cleared_ ? E_FAIL : real_.get()->EnumUrls(entries);
    }
    HRESULT STDMETHODCALLTYPE AddUrlAndNotify(LPCOLESTR, LPCOLESTR, DWORD, BOOL, IOleCommandTarget*, IUnknown*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE ClearHistory() override
    {
        if (FAILED(refusal_)) return refusal_;
        return cleared_ = true, real_.get()->ClearHistory();
    }

private:
    ComApartment apartment_;
    ComPtr<IUrlHistoryStg2> real_ = OpenUrlHistoryStore();
    bool cleared_ = false;
    HRESULT refusal_;
};

} // namespace

TEST_F(IEHistoryFixture, KeepsExactlyTheSafeAddressesThroughARefusedOneAndAFailingStore)
{
    {
        CURLHistory history;
        for (const char* url : {"http://gone.example/", "http://kept.example/", "file:///C:/notes.txt"})
            history.AddURL(url, "Title", 0);
    }
    KeepInMemory({"http://KEPT.example/", "http://new.example/"});
    test::WriteFileBytes(folder.File("SafeHistory.dat"), "http://KEPT.example/\r\nhttp://new.example/\r\n");

    session.run.live = true; // a preview keeping them is the console program's test
    CleanIEHistory(session);
    EXPECT_EQ(test::HistoryUrls(), (Urls{"http://KEPT.example/", "http://new.example/"}));
    EXPECT_EQ(Tasks().size(), 1u);
    EXPECT_EQ(Last(), "Internet Explorer History|@");
    EXPECT_TRUE(session.safeLists.history.clean.Empty()); // reloaded: all that is left is kept
    EXPECT_EQ(session.safeLists.history.safe.Count(), 2u);

    // An address the store refuses costs one line, not the other addresses.
    KeepInMemory({"", "http://kept.example/"});
    CleanIEHistory(session);
    EXPECT_EQ(test::HistoryUrls(), Urls{"http://kept.example/"});
    ASSERT_EQ(Tasks().size(), 3u);
    const LogLine& refused = session.log.Lines()[1];
    EXPECT_EQ(refused.task, "Internet Explorer History");
    EXPECT_EQ(refused.status.rfind("AddURL \"\": ", 0), 0u) << refused.status;
    EXPECT_EQ(Last(), "Internet Explorer History|@");

    // A store that can no longer list its entries once cleared still gets the safe ones back.
    CURLHistory().AddURL("http://gone.example/", "", 0);
    KeepInMemory({"http://kept.example/"});
    session.log.Clear();
    BrokenOnceCleared broken;
    CleanIEHistoryIn(session, [&broken] { return ComPtr<IUrlHistoryStg2>(&broken); });
    EXPECT_EQ(test::HistoryUrls(), Urls{"http://kept.example/"});
    ASSERT_EQ(Tasks(), (Urls{"Internet Explorer History", "Internet Explorer History"}));
    EXPECT_EQ(session.log.Lines()[0].status.rfind("EnumUrls: ", 0), 0u) << session.log.Lines()[0].status;

    // A store that refuses to clear is said so, never called cleared, and loses nothing.
    CURLHistory().AddURL("http://stays.example/", "", 0);
    session.log.Clear();
    BrokenOnceCleared refusing(E_ACCESSDENIED);
    CleanIEHistoryIn(session, [&refusing] { return ComPtr<IUrlHistoryStg2>(&refusing); });
    EXPECT_EQ(Last(), "Internet Explorer History|Not cleared: the history store refused (" +
                          ErrorText(static_cast<DWORD>(E_ACCESSDENIED)) + ")");
    EXPECT_EQ(test::HistoryUrls(), (Urls{"http://kept.example/", "http://stays.example/"}));
}
