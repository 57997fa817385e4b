#include "browsers/BrowserSites.h"
#include "engine/BrowserBoxes.h"
#include "safelists/CookieLoader.h"

#include "platform/ErrorText.h"
#include "platform/LongPath.h"
#include "platform/Paths.h"
#include "platform/UniqueHandle.h"
#include "support/SqliteFiles.h"
#include "support/TestSupport.h"

#include <algorithm>
#include <filesystem>

using namespace sweepora;
using test::Texts;

namespace {

struct BrowserBoxesFixture : test::SessionFixture {
    BrowserRoots roots{LongPath(folder.File("Local")), LongPath(folder.File("Roaming"))};
    std::vector<RunningProcess> processes;

    BrowserBoxesFixture() { OnlyCategories({}); }

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

TEST_F(BrowserBoxesFixture, ARunningBrowserIsLeftAloneAndAPreviewSaysWhatTheRunDoes)
{
    const std::string history = SeedChrome("Default");
    SeedChrome("Profile 1");
    session.safeLists.history.safe.Add("bank.example"); // a site keeps its subdomains too
    const std::string before = test::ReadFileBytes(history);

    // While Chrome runs it is named once and nothing of it is touched.
    processes = {{L"chrome.exe", L"C:\\Program Files\\Google\\Chrome\\Application\\chrome.exe"}};
    session.run.live = true;
    Run();
    EXPECT_EQ(Tasks(), Texts{"Google Chrome"});
    EXPECT_EQ(session.log.Lines()[0].status, "Google Chrome is running: close it first, then clean again");
    EXPECT_EQ(test::ReadFileBytes(history), before);

    processes.clear();
    session.log.Clear();
    session.run.live = false;
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

// The page the user sees, the choice made there, and the run that follows: the site moved to
// "Cookies to Keep" keeps its cookies and its storage in Chrome and Firefox, the other goes.
TEST_F(BrowserBoxesFixture, ASiteMovedToCookiesToKeepKeepsItsCookiesAndStorageInEveryBrowser)
{
    const std::string chrome = "Local\\Google\\Chrome\\User Data\\Default\\";
    const std::string fox = "Roaming\\Mozilla\\Firefox\\Profiles\\x.default\\";
    Seed("Roaming\\Mozilla\\Firefox\\profiles.ini", "[Profile0]\r\nName=default\r\nIsRelative=1\r\nPath=Profiles/x.default\r\n");
    Seed(chrome + "Bookmarks", R"({"roots":{}})");
    const std::string cookies = Seed(chrome + "Network\\Cookies", "");
    test::CreateDatabase(cookies, std::string(test::kChromiumCookiesSchema) +
                                      "INSERT INTO cookies VALUES(1,'.www.bank.example','','s','',x'00','/',0,1,1,0,1,1,1,0,2,"
                                      "443,0,0,0),(2,'.tracker.example','','t','',x'00','/',0,1,1,0,1,1,1,0,2,443,0,0,0);");
    const std::string bankDb = Seed(chrome + "IndexedDB\\https_www.bank.example_0.indexeddb.leveldb\\000003.log", "bank");
    const std::string trackerDb = Seed(chrome + "IndexedDB\\https_tracker.example_0.indexeddb.leveldb\\000003.log", "t");
    const std::string foxCookies = Seed(fox + "cookies.sqlite", "");
    test::CreateDatabase(foxCookies, std::string(test::kFirefoxCookiesSchema) +
                                         "INSERT INTO moz_cookies(id,name,value,host,path) VALUES"
                                         "(1,'s','x','bank.example','/'),(2,'t','y','.tracker.example','/');");
    const std::string bankStore = Seed(fox + "storage\\default\\https+++bank.example\\ls\\data.sqlite", "bank");
    const std::string trackerStore = Seed(fox + "storage\\default\\https+++tracker.example\\ls\\data.sqlite", "t");

    ListPair& page = session.safeLists.cookies;
    LoadCookies(page, session.ListFolders(), session.Yielder(), BrowserCookieSites(roots));
    const auto& listed = page.clean.Items();
    const auto bank = std::find(listed.begin(), listed.end(), "bank.example");
    ASSERT_NE(bank, listed.end()) << ::testing::PrintToString(listed);
    EXPECT_EQ(std::count(listed.begin(), listed.end(), "tracker.example"), 1);
    page.clean.Select(static_cast<int>(bank - listed.begin()));
    MoveSelected(page.clean, page.safe);

    session.run.live = true;
    CleanBrowserCookies(session, {roots, [this] { return processes; }});
    EXPECT_EQ(test::QueryRows(cookies, "SELECT host_key FROM cookies"), Texts{".www.bank.example"});
    EXPECT_EQ(test::QueryRows(foxCookies, "SELECT host FROM moz_cookies"), Texts{"bank.example"});
    EXPECT_FALSE(test::DatabaseHolds(cookies, "tracker.example") || test::DatabaseHolds(foxCookies, "tracker.example"));
    EXPECT_EQ(test::ReadFileBytes(bankDb), "bank");
    EXPECT_EQ(test::ReadFileBytes(bankStore), "bank");
    EXPECT_FALSE(FileExists(trackerDb) || FileExists(trackerStore));
}

TEST_F(BrowserBoxesFixture, HistoryFilesThatStayAreNeverCalledCleared)
{
    SeedChrome("Default");
    const std::string held = Seed("Local\\Google\\Chrome\\User Data\\Default\\Visited Links", "visited");
    Seed("Local\\Google\\Chrome\\User Data\\Default\\Top Sites", "top");
    const auto status = [this](const std::string& task) {
        for (const LogLine& l : session.log.Lines())
            if (l.task == task) return l.status;
        return std::string("(no line)");
    };
    session.run.live = true;
    {
        UniqueFile holder(::CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(holder);
        Run();
    }
    EXPECT_EQ(status(held), ErrorText(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(status("Google Chrome (Default) history files"), "Not cleared: 1 file stayed, each named in its own line");
    EXPECT_TRUE(FileExists(held));
    session.log.Clear();
    Run();
    EXPECT_EQ(status("Google Chrome (Default) history files"), "Cleared");
    EXPECT_FALSE(FileExists(held));
}
