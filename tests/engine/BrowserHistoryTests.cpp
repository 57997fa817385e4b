#include "engine/BrowserBoxes.h"

#include "platform/LongPath.h"
#include "platform/Paths.h"
#include "support/SqliteFiles.h"
#include "support/TestSupport.h"

#include <algorithm>
#include <filesystem>

using namespace sweepora;
using test::Texts;

namespace {

struct BrowserHistoryFixture : test::SessionFixture {
    BrowserRoots roots{LongPath(folder.File("Local")), LongPath(folder.File("Roaming"))};
    std::vector<RunningProcess> processes;

    BrowserHistoryFixture() { OnlyCategories({}); }

    std::string Seed(const std::string& path, const std::string& bytes)
    {
        const std::string full = folder.File(path);
        std::filesystem::create_directories(std::filesystem::u8path(FolderOf(full)));
        test::WriteFileBytes(full, bytes);
        return full;
    }
    // A Chrome profile with a kept site, a visited one, a search and a bookmark.
    std::string SeedChrome(const std::string& profile)
    {
        const std::string dir = "Local\\Google\\Chrome\\User Data\\" + profile + "\\";
        Seed(dir + "Bookmarks", R"({"roots":{"bookmark_bar":{"children":[],"type":"folder"}},"version":1})");
        Seed(dir + "Login Data", "saved passwords");
        const std::string history = folder.File(dir + "History");
        test::CreateDatabase(history,
                             std::string(test::kChromiumHistorySchema) +
                                 "INSERT INTO urls VALUES(1,'https://www.bank.example/login','Bank',3,1,13300000000000000,0);"
                                 "INSERT INTO urls VALUES(2,'https://secret-clinic.example/results','Results',1,0,"
                                 "13300000000000001,0);"
                                 "INSERT INTO visits(id,url,visit_time,transition) VALUES(1,1,13300000000000000,1),"
                                 "(2,2,13300000000000001,0);"
                                 "INSERT INTO keyword_search_terms VALUES(2,2,'secret symptom','secret symptom');",
                             true);
        return history;
    }
    void Run()
    {
        CleanBrowserHistory(session, {roots, [this] { return processes; }});
    }
};

} // namespace

TEST_F(BrowserHistoryFixture, APreviewSaysWhatTheRunDoesAndAKeptSiteStaysInTheDatabase)
{
    const std::string history = SeedChrome("Default");
    SeedChrome("Profile 1");
    session.safeLists.history.safe.Add("bank.example"); // a site keeps its subdomains too
    const std::string before = test::ReadFileBytes(history);

    Run();
    const Texts preview = Tasks();
    EXPECT_EQ(test::ReadFileBytes(history), before);
    ASSERT_FALSE(preview.empty());

    session.log.Clear();
    session.run.live = true;
    Run();
    Texts run = Tasks();
    ASSERT_EQ(run.size(), preview.size());
    for (std::size_t i = 0; i < run.size(); ++i) EXPECT_EQ("Testing : " + run[i], preview[i]);
    for (const LogLine& line : session.log.Lines())
        EXPECT_EQ(line.status.find("Left as it was"), std::string::npos) << line.task << ": " << line.status;

    EXPECT_EQ(test::QueryRows(history, "SELECT url FROM urls"), Texts{"https://www.bank.example/login"});
    EXPECT_FALSE(test::DatabaseHolds(history, "secret-clinic") || test::DatabaseHolds(history, "secret symptom"));
    EXPECT_TRUE(test::DatabaseHolds(history, "www.bank.example"));
    EXPECT_EQ(test::ReadFileBytes(folder.File("Local\\Google\\Chrome\\User Data\\Default\\Login Data")), "saved passwords");
    const auto history1 = std::find(run.begin(), run.end(), "Google Chrome (Profile 1) History");
    EXPECT_NE(history1, run.end()) << ::testing::PrintToString(run);
}

TEST_F(BrowserHistoryFixture, ARunningBrowserIsNamedOnceAndNothingOfItIsTouched)
{
    const std::string history = SeedChrome("Default");
    SeedChrome("Profile 1");
    const std::string before = test::ReadFileBytes(history);
    processes = {{L"chrome.exe", L"C:\\Program Files\\Google\\Chrome\\Application\\chrome.exe"}};
    session.run.live = true;
    Run();
    EXPECT_EQ(Tasks(), Texts{"Google Chrome"});
    EXPECT_EQ(session.log.Lines()[0].status, "Google Chrome is running: close it first, then clean again");
    EXPECT_EQ(test::ReadFileBytes(history), before);
}
