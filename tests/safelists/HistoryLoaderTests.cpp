#include "safelists/HistoryLoader.h"
#include "storage/UrlHistory.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace sweepora;

using Items = std::vector<std::string>;

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
