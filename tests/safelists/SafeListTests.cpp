#include "platform/FileIo.h"
#include "platform/UniqueHandle.h"
#include "platform/UrlHistory.h"
#include "safelists/CookieLoader.h"
#include "safelists/HistoryLoader.h"
#include "safelists/SafeListFile.h"
#include "safelists/SafeListPages.h"
#include "safelists/TypedUrlLoader.h"

#include "support/TestSupport.h"

#include <filesystem>

using namespace sweepora;
using Items = test::Texts;

namespace {

ListModel ListOf(const Items& items)
{
    ListModel list;
    for (const std::string& item : items) list.Add(item);
    return list;
}

} // namespace

TEST(SafeListFile, SavesCrLfLinesAndLoadsThemBackUnchanged)
{
    test::TempFolder folder;
    const std::string path = folder.File("list.dat");
    const Items entries = {"a,b", "\"quoted\"", "  leading", "trailing  ", "", "last"};
    SaveListToFile(ListOf(entries), path);
    EXPECT_EQ(test::ReadFileBytes(path), "a,b\r\n\"quoted\"\r\n  leading\r\ntrailing  \r\n\r\nlast\r\n");
    ListModel loaded = ListOf({"stale"});
    LoadListFromFile(loaded, path, nullptr);
    EXPECT_EQ(loaded.Items(), entries);
    LoadListFromFile(loaded, folder.File("missing.dat"), nullptr);
    EXPECT_TRUE(loaded.Empty());
    EXPECT_FALSE(SaveListToFile(ListOf({"x"}), folder.File("no such folder\\list.dat")));
    EXPECT_EQ(::GetFileAttributesA(folder.File("no such folder").c_str()), INVALID_FILE_ATTRIBUTES);
    // Which side of a page is saved, and when, is the main window's tests' business.
}

TEST(SafeListFile, ASaveCutShortAtAnyByteOrAFileThatCannotBeReadKeepsTheListThatWasThere)
{
    test::TempFolder folder;
    const std::string path = folder.File(kSafeCookieFile);
    const std::string before = "bank.example\r\nmail.example\r\n";
    test::WriteFileBytes(path, before);
    const std::string next = "bank.example\r\nshop.example\r\n";
    // The disk fills up after `cut` bytes of the new list.
    for (std::size_t cut = 0; cut <= next.size(); ++cut) {
        const AtomicWriteStep full = [cut](HANDLE file, const std::string& bytes) -> DWORD {
            const DWORD written = WriteOpenFile(file, bytes.substr(0, cut));
            return written != ERROR_SUCCESS ? written : ERROR_DISK_FULL;
        };
        EXPECT_FALSE(SaveListToFile(ListOf({"bank.example", "shop.example"}), path, full)) << cut;
        ListModel loaded;
        ASSERT_TRUE(LoadListFromFile(loaded, path, nullptr)) << cut;
        EXPECT_EQ(loaded.Items(), (Items{"bank.example", "mail.example"})) << cut;
    }
    const auto files = std::filesystem::directory_iterator(folder.Path());
    EXPECT_EQ(std::distance(begin(files), end(files)), 1); // no temporary file left behind

    // Held without sharing: not an empty list, and the pages will not write over it.
    SafeListPages pages;
    {
        const UniqueFile held(::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        pages.cookies.safe.Add("stale");
        LoadCookies(pages.cookies, folder.Path(), nullptr);
        EXPECT_EQ(pages.cookies.safe.Items(), Items{"stale"});
        EXPECT_EQ(pages.cookies.unreadable, path);
        EXPECT_NE(UnreadableListsMessage(pages).find(path), std::string::npos);
    }
    EXPECT_EQ(SaveSafeLists(pages, folder.Path()), Items{path});
    EXPECT_EQ(test::ReadFileBytes(path), before);
    RereadUnreadableLists(pages, nullptr);
    EXPECT_EQ(pages.cookies.safe.Items(), (Items{"bank.example", "mail.example"}));
    EXPECT_EQ(UnreadableListsMessage(pages), "");
    EXPECT_TRUE(SaveSafeLists(pages, folder.Path()).empty());
}

TEST(ListModel, FindsIgnoringCaseAndRemovesKeptEntries)
{
    EXPECT_TRUE(IsInList(ListOf({"Alpha", "Beta"}), "BETA", nullptr));
    EXPECT_FALSE(IsInList(ListOf({"Alpha", "Beta"}), "Alph", nullptr));
    // The moves themselves are the main window's tests.
    ListModel from = ListOf({"a"}), to;
    MoveSelected(from, to); // nothing selected: nothing moves
    EXPECT_TRUE(to.Empty());

    // Each kept entry removes its first match only.
    ListModel clean = ListOf({"A.com", "b.com", "a.com", "c.com"});
    RemoveKeptEntries(clean, ListOf({"a.COM", "unmatched", "C.COM"}), nullptr);
    EXPECT_EQ(clean.Items(), (Items{"b.com", "a.com"}));
}

TEST(HistoryLoader, ListsNoLocalFilesHidesKeptEntriesAddsBrowserAddressesAndSurvivesAFailingStore)
{
    test::ScratchHistory scratch;
    test::TempFolder folder;
    {
        CURLHistory history;
        for (const char* url : {"http://web.example/", "http://kept.example/", "file:///C:/a.txt", "FiLe:///C:/b.txt"})
            history.AddURL(url, "", 0);
    }
    test::WriteFileBytes(folder.File("SafeHistory.dat"), "http://KEPT.example/\r\nhttp://elsewhere.example/\r\n");
    const Items safe = {"http://KEPT.example/", "http://elsewhere.example/"};
    ListPair page;
    page.clean.Add("stale");
    int yields = 0;
    EXPECT_EQ(LoadHistory(page, folder.Path(), [&] { ++yields; }), "");
    EXPECT_EQ(page.clean.Items(), Items{"http://web.example/"});
    EXPECT_EQ(page.safe.Items(), safe);
    EXPECT_GE(yields, 4);

    const auto failing = [] { return ComPtr<IUrlHistoryStg2>(); };
    const std::string failure = LoadHistory(page, folder.Path(), nullptr, failing);
    EXPECT_NE(failure.find("could not be created"), std::string::npos) << failure;
    EXPECT_TRUE(page.clean.Empty());
    EXPECT_EQ(page.safe.Items(), safe);

    // Browser addresses listed on neither side are added, even when the store fails.
    const Items browsers = {"HTTP://WEB.example/", "http://KEPT.example/", "https://new.example/a", "https://new.example/a", ""};
    EXPECT_EQ(LoadHistory(page, folder.Path(), nullptr, {}, browsers), "");
    EXPECT_EQ(page.clean.Items(), (Items{"http://web.example/", "https://new.example/a"}));
    EXPECT_NE(LoadHistory(page, folder.Path(), nullptr, failing, browsers), "");
    EXPECT_EQ(page.clean.Items(), (Items{"HTTP://WEB.example/", "https://new.example/a"}));
}

TEST(CookieLoader, AddsEachBrowserSiteOnceUnlessAKeptEntryCoversItOrASubdomainOfIt)
{
    test::TempFolder folder;
    // Hostile lines keep nothing: they must not hide every site.
    test::WriteFileBytes(folder.File(kSafeCookieFile),
                         "Bank.Example\r\n*\r\n.\r\n\r\n   \r\n" + std::string(5000, 'x') +
                             "\r\nCookie:me@mail.example/\r\n");
    ListPair page;
    LoadCookies(page, folder.Path(), nullptr,
                {"", "bank.example", "mail.example", "news.example", "notbank.example", "shop.example",
                 "shop.example", "www.bank.example", "www.mail.example"});
    EXPECT_EQ(page.clean.Items(), (Items{"news.example", "notbank.example", "shop.example"}));
    ASSERT_EQ(page.safe.Count(), 7u); // the file's lines stay as they were
    EXPECT_EQ(page.safe.Items()[0], "Bank.Example");
}

TEST(CookieLoader, CookieSiteReadsHostsAddressesAndInternetExplorerEntries)
{
    // No host has a blank; hostile entries are SitesKept's tests.
    const std::pair<const char*, const char*> sites[] = {{".WWW.Bank.Example", "www.bank.example"},
        {"https://user:pw@www.bank.example:8443/login?next=/", "www.bank.example"}, {"Cookie:me@bank.example/", "bank.example"},
        {"me@bank.example[2].txt", "bank.example"}, {"*.bank.example", "bank.example"}, {"http://[::1]:8080/", "[::1]"},
        {"a b.example", ""}};
    for (const auto& [entry, site] : sites) EXPECT_EQ(CookieSite(entry), site) << entry;
}

TEST(TypedUrlLoader, AddsTypedBrowserAddressesAfterInternetExplorersOwn)
{
    test::ScratchKey key(kTypedUrlsKey);
    test::WriteString(HKEY_CURRENT_USER, kTypedUrlsKey, "url1", "http://typed.example/");
    test::TempFolder folder;
    test::WriteFileBytes(folder.File(kSafeUrlsFile), "https://kept.example/\r\n");
    ListPair page;
    LoadTypedUrls(page, folder.Path(), nullptr,
                  {"https://kept.example/", "https://b.example/", "http://TYPED.example/"});
    EXPECT_EQ(page.clean.Items(), (Items{"http://typed.example/", "https://b.example/"}));
    EXPECT_EQ(page.safe.Items(), Items{"https://kept.example/"});
}
