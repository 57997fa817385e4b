#include "platform/UrlHistory.h"
#include "safelists/HistoryLoader.h"
#include "safelists/SafeListFile.h"
#include "safelists/SafeListPages.h"

#include "support/TestSupport.h"

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
    SaveListToFile(ListOf({"x"}), folder.File("no such folder\\list.dat"));
    EXPECT_EQ(::GetFileAttributesA(folder.File("no such folder").c_str()), INVALID_FILE_ATTRIBUTES);
    // Which side of a page is saved, and when, is the main window's tests' business.
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

TEST(HistoryLoader, ListsNoLocalFilesHidesKeptEntriesAndSurvivesAFailingStore)
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

    const std::string failure = LoadHistory(page, folder.Path(), nullptr, [] { return ComPtr<IUrlHistoryStg2>(); });
    EXPECT_NE(failure.find("could not be created"), std::string::npos) << failure;
    EXPECT_TRUE(page.clean.Empty());
    EXPECT_EQ(page.safe.Items(), safe);
}
