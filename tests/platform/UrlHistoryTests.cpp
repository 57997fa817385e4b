#include "platform/UrlHistory.h"

#include "support/TestSupport.h"

#include <lmcons.h>
#include <wininet.h>

#include <algorithm>

using namespace sweepora;

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
