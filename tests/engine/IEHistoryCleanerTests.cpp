#include "engine/IEHistoryCleaner.h"
#include "storage/UrlHistory.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace sweepora;

namespace {

using Urls = std::vector<std::string>;

struct IEHistoryFixture : ::testing::Test {
    test::ScratchHistory scratch;
    RegistrySettingsStore store{"Software\\SweeporaTests\\IEHistoryStore"};
    test::FakeHost host;
    test::FakeDesktop desktop;
    test::TempFolder folder;
    Session session{store, host, desktop, folder.File("sweepora.exe")};

    void KeepInMemory(const Urls& urls)
    {
        session.safeLists.history.safe.Clear();
        for (const std::string& url : urls) session.safeLists.history.safe.Add(url);
    }
    const std::vector<LogLine>& Lines() const { return session.log.Lines(); }
};

} // namespace

TEST_F(IEHistoryFixture, KeepsExactlyTheSafeAddressesAndContainsARefusedOne)
{
    {
        CURLHistory history;
        for (const char* url : {"http://gone.example/", "http://kept.example/", "file:///C:/notes.txt"})
            history.AddURL(url, "Title", 0);
    }
    KeepInMemory({"http://KEPT.example/", "http://new.example/"});
    test::WriteFileBytes(folder.File("SafeHistory.dat"), "http://KEPT.example/\r\nhttp://new.example/\r\n");

    CleanIEHistory(session); // test mode
    EXPECT_EQ(test::HistoryUrls().size(), 3u);
    ASSERT_EQ(Lines().size(), 1u);
    EXPECT_EQ(Lines()[0].task, "Testing : Internet Explorer History");

    session.run.live = true;
    CleanIEHistory(session);
    EXPECT_EQ(test::HistoryUrls(), (Urls{"http://KEPT.example/", "http://new.example/"}));
    ASSERT_EQ(Lines().size(), 2u);
    EXPECT_EQ(Lines()[1].task, "Internet Explorer History");
    EXPECT_NE(Lines()[1].status.find(" @ "), std::string::npos);
    EXPECT_TRUE(session.safeLists.history.clean.Empty()); // reloaded: all that is left is kept
    EXPECT_EQ(session.safeLists.history.safe.Count(), 2u);

    // An address the store refuses costs one line, not the other addresses.
    KeepInMemory({"", "http://kept.example/"});
    CleanIEHistory(session);
    EXPECT_EQ(test::HistoryUrls(), Urls{"http://kept.example/"});
    ASSERT_EQ(Lines().size(), 4u);
    EXPECT_EQ(Lines()[2].task, "Internet Explorer History");
    EXPECT_EQ(Lines()[2].status.rfind("AddURL \"\": ", 0), 0u) << Lines()[2].status;
    EXPECT_NE(Lines()[3].status.find(" @ "), std::string::npos);
}
