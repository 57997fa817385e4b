#include "safelists/SafeListFile.h"
#include "safelists/SafeListPages.h"
#include "safelists/TypedUrlLoader.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace sweepora;

namespace {

using Items = std::vector<std::string>;

ListModel ListOf(const Items& items)
{
    ListModel list;
    for (const std::string& item : items) list.Add(item);
    return list;
}

Items Sorted(Items items)
{
    std::sort(items.begin(), items.end());
    return items;
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

    SaveListToFile(ListModel(), path);
    EXPECT_EQ(test::ReadFileBytes(path), "");
    LoadListFromFile(loaded, path, nullptr);
    EXPECT_TRUE(loaded.Empty());

    loaded = ListOf({"stale"});
    LoadListFromFile(loaded, folder.File("missing.dat"), nullptr);
    EXPECT_TRUE(loaded.Empty());

    const std::string nowhere = folder.File("no such folder\\list.dat");
    EXPECT_NO_THROW(SaveListToFile(ListOf({"x"}), nowhere));
    EXPECT_EQ(::GetFileAttributesA(nowhere.c_str()), INVALID_FILE_ATTRIBUTES);

    SafeListPages pages; // only the safe side of each page is kept
    pages.cookies = {ListOf({"clean.example"}), ListOf({"cookie.example"})};
    pages.history = {ListOf({"old"}), ListOf({"history.example", "two"})};
    pages.typedUrls = {ListOf({"gone"}), ListOf({"http://typed.example/"})};
    SaveSafeLists(pages, folder.Path());
    EXPECT_EQ(test::ReadFileBytes(folder.File("SafeCookie.dat")), "cookie.example\r\n");
    EXPECT_EQ(test::ReadFileBytes(folder.File("SafeHistory.dat")), "history.example\r\ntwo\r\n");
    EXPECT_EQ(test::ReadFileBytes(folder.File("SafeURLs.dat")), "http://typed.example/\r\n");
}

TEST(ListModel, IsInListIgnoresCaseAndYieldsPerMiss)
{
    const ListModel list = ListOf({"Alpha", "Beta", "Gamma"});
    int yields = 0;
    const YieldFn count = [&] { ++yields; };
    EXPECT_TRUE(IsInList(list, "GAMMA", count));
    EXPECT_EQ(yields, 2);
    yields = 0;
    EXPECT_TRUE(IsInList(list, "alpha", count));
    EXPECT_EQ(yields, 0);
    EXPECT_FALSE(IsInList(list, "Alph", count));
    EXPECT_EQ(yields, 3);
    yields = 0;
    EXPECT_FALSE(IsInList(ListModel(), "", count));
    EXPECT_EQ(yields, 0);
}

TEST(ListModel, MovesAndRemovals)
{
    ListModel from = ListOf({"a", "b", "c"});
    ListModel to = ListOf({"x"});
    MoveSelected(from, to);
    EXPECT_EQ(from.Items(), (Items{"a", "b", "c"}));
    EXPECT_EQ(to.Items(), Items{"x"});
    from.Select(1);
    MoveSelected(from, to);
    EXPECT_EQ(from.Items(), (Items{"a", "c"}));
    EXPECT_EQ(to.Items(), (Items{"x", "b"}));

    ListModel empty;
    MoveAll(empty, to, nullptr);
    EXPECT_EQ(to.Items(), (Items{"x", "b"}));
    MoveAll(from, to, nullptr);
    EXPECT_TRUE(from.Empty());
    EXPECT_EQ(to.Items(), (Items{"x", "b", "a", "c"}));

    ListModel clean = ListOf({"A.com", "b.com", "a.com", "c.com"});
    RemoveKeptEntries(clean, ListOf({"a.COM", "unmatched", "C.COM"}), nullptr);
    EXPECT_EQ(clean.Items(), (Items{"b.com", "a.com"}));
}

TEST(TypedUrls, CleanListIsTheKeyLessTheSafeList)
{
    test::ScratchKey key(kTypedUrlsKey);
    test::TempFolder folder;
    test::WriteString(HKEY_CURRENT_USER, kTypedUrlsKey, "url1", "http://first.example/");
    test::WriteString(HKEY_CURRENT_USER, kTypedUrlsKey, "url2", "http://Kept.example/");
    test::WriteString(HKEY_CURRENT_USER, kTypedUrlsKey, "url3", "http://third.example/");

    ListPair page{ListOf({"stale"}), ListOf({"stale"})};
    LoadTypedUrls(page, folder.Path(), nullptr);
    EXPECT_EQ(Sorted(page.clean.Items()),
              (Items{"http://Kept.example/", "http://first.example/", "http://third.example/"}));
    EXPECT_TRUE(page.safe.Empty());

    test::WriteFileBytes(folder.File("SafeURLs.dat"), "http://kept.EXAMPLE/\r\n");
    LoadTypedUrls(page, folder.Path(), nullptr);
    EXPECT_EQ(Sorted(page.clean.Items()), (Items{"http://first.example/", "http://third.example/"}));
    EXPECT_EQ(page.safe.Items(), Items{"http://kept.EXAMPLE/"});

    test::DeleteKeyTree(HKEY_CURRENT_USER, kTypedUrlsKey);
    LoadTypedUrls(page, folder.Path(), nullptr);
    EXPECT_TRUE(page.clean.Empty());
    EXPECT_EQ(page.safe.Items(), Items{"http://kept.EXAMPLE/"});
}
