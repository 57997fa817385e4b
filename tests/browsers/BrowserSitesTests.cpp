#include "browsers/BrowserSites.h"

#include "platform/LongPath.h"
#include "platform/Paths.h"
#include "platform/UniqueHandle.h"

#include "BrowserBoxTesting.h"

#include <sqlite3.h>

#include <filesystem>

using namespace sweepora;
using test::Texts;

namespace {

const std::string kChrome = "Local\\Google\\Chrome\\User Data\\";
const std::string kFirefox = "Roaming\\Mozilla\\Firefox\\Profiles\\a#b%41c.default-release\\";

struct BrowserSitesFixture : ::testing::Test {
    test::TempFolder folder;
    BrowserRoots roots{LongPath(folder.File("Local")), LongPath(folder.File("Roaming"))};

    std::string Database(const std::string& relative, const std::string& sql, bool wal = false)
    {
        const std::string path = folder.File(relative);
        std::filesystem::create_directories(std::filesystem::u8path(FolderOf(path)));
        test::CreateDatabase(path, sql, wal);
        return path;
    }
    static std::string Cookie(const std::string& host, int n)
    {
        return "INSERT INTO cookies VALUES(1,'" + host + "','',"
               "'c" + std::to_string(n) + "','',x'00','/',0,0,0,0,0,1,1,0,2,443,0,0,0);";
    }
    static std::string Url(int id, const std::string& url, int typed)
    {
        return "INSERT INTO urls VALUES(" + std::to_string(id) + ",'" + url + "','',1," + std::to_string(typed) +
               ",1,0);";
    }
    // Default keeps its cookies in Network, Profile 1 in the older place; a Firefox profile
    // (its folder's "#" and "%" must reach SQLite as they are) shares a site with Profile 1,
    // and has a bookmarked place it never visited.
    void SeedThreeProfiles()
    {
        Database(kChrome + "Default\\Network\\Cookies",
                 std::string(test::kChromiumCookiesSchema) + Cookie(".bank.example", 1) +
                     Cookie("www.bank.example", 2) + Cookie("BANK.example", 3) + Cookie(".shop.example", 4));
        Database(kChrome + "Default\\History",
                 std::string(test::kChromiumHistorySchema) + Url(1, "https://www.bank.example/login", 2) +
                     Url(2, "https://shop.example/cart", 0) + Url(3, "https://line.example/a\nb", 1) +
                     Url(4, "https://long.example/" + std::string(kLongestListedAddress, 'x'), 0),
                 true);
        Database(kChrome + "Profile 1\\Cookies", std::string(test::kChromiumCookiesSchema) + Cookie("news.example", 1));
        Database(kChrome + "Profile 1\\History",
                 std::string(test::kChromiumHistorySchema) + Url(1, "https://shop.example/cart", 1));
        const std::string ini = "[Profile0]\r\nName=default-release\r\nIsRelative=1\r\n"
                                "Path=Profiles/a#b%41c.default-release\r\nDefault=1\r\n";
        Database(kFirefox + "cookies.sqlite",
                 std::string(test::kFirefoxCookiesSchema) +
                     "INSERT INTO moz_cookies (name, host, path) VALUES ('a', '.news.example', '/'),"
                     " ('b', '.mail.example', '/'), ('c', '', '/'), ('d', '*', '/');",
                 true);
        Database(kFirefox + "places.sqlite",
                 test::FirefoxPlacesSchema(true) +
                     "INSERT INTO moz_places (id, url, typed) VALUES (1, 'https://mail.example/inbox', 1),"
                     " (2, 'https://bookmark.example/', 0), (3, 'https://visited.example/', 0);"
                     "INSERT INTO moz_historyvisits (place_id, visit_date) VALUES (1, 1), (3, 1);",
                 true);
        test::WriteFileBytes(folder.File("Roaming\\Mozilla\\Firefox\\profiles.ini"), ini);
    }
};

struct Connection {
    sqlite3* db = nullptr;
    ~Connection() { sqlite3_close(db); }
    bool Run(const std::string& sql) { return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK; }
};

} // namespace

TEST_F(BrowserSitesFixture, ListsEverySiteAndAddressOnceChangesNoFileAndReadsTheLog)
{
    SeedThreeProfiles();
    const test::Snapshot before = test::TakeFolder(folder.Path());
    std::vector<std::string> unread;
    EXPECT_EQ(BrowserCookieSites(roots, &unread),
              (Texts{"bank.example", "mail.example", "news.example", "shop.example", "www.bank.example"}));
    EXPECT_EQ(BrowserHistoryAddresses(roots, &unread),
              (Texts{"https://mail.example/inbox", "https://shop.example/cart", "https://visited.example/",
                     "https://www.bank.example/login"}));
    EXPECT_EQ(BrowserTypedAddresses(roots, &unread),
              (Texts{"https://mail.example/inbox", "https://shop.example/cart", "https://www.bank.example/login"}));
    // The address on two lines and the one too long for a list are said, not shown.
    EXPECT_EQ(unread, (Texts{"2 addresses not listed: too long or broken across lines",
                             "1 address not listed: too long or broken across lines"}));
    // No -wal, -shm or -journal made, not a byte changed.
    EXPECT_TRUE(test::TakeFolder(folder.Path()) == before);

    // Rows still in the log of a browser that shares are read too.
    Connection browser;
    ASSERT_EQ(sqlite3_open(folder.File(kFirefox + "cookies.sqlite").c_str(), &browser.db), SQLITE_OK);
    ASSERT_TRUE(browser.Run("PRAGMA wal_autocheckpoint=0;"
                            "INSERT INTO moz_cookies (name, host, path) VALUES ('e', 'fresh.example', '/')"));
    const Texts sites = BrowserCookieSites(roots);
    EXPECT_NE(std::find(sites.begin(), sites.end(), "fresh.example"), sites.end());
}

TEST_F(BrowserSitesFixture, ALockedDatabaseLeavesItsProfileOutAndItsFileAsItWas)
{
    SeedThreeProfiles();
    // Chrome holds Network\Cookies without sharing; Firefox keeps its log to itself; an
    // older profile's History is held by SQLite's own exclusive lock.
    const std::wstring chromeCookies = LongPath(folder.File(kChrome + "Default\\Network\\Cookies"));
    UniqueFile held(::CreateFileW(chromeCookies.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_NE(held.get(), INVALID_HANDLE_VALUE);
    Connection firefox, chrome;
    ASSERT_EQ(sqlite3_open(folder.File(kFirefox + "cookies.sqlite").c_str(), &firefox.db), SQLITE_OK);
    ASSERT_TRUE(firefox.Run("PRAGMA locking_mode=EXCLUSIVE; SELECT count(*) FROM moz_cookies"));
    ASSERT_EQ(sqlite3_open(folder.File(kChrome + "Profile 1\\History").c_str(), &chrome.db), SQLITE_OK);
    ASSERT_TRUE(chrome.Run("PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE; UPDATE meta SET value = 1"));
    const std::string historyBefore = test::ReadFileBytes(folder.File(kChrome + "Profile 1\\History"));
    const std::string firefoxBefore = test::ReadFileBytes(folder.File(kFirefox + "cookies.sqlite"));

    std::vector<std::string> unread;
    EXPECT_EQ(BrowserCookieSites(roots, &unread), Texts{"news.example"}); // Profile 1's, not Firefox's
    ASSERT_EQ(unread.size(), 2u);
    EXPECT_EQ(unread[0].find("Google Chrome (Default) Network\\Cookies: another program"), 0u) << unread[0];
    EXPECT_NE(unread[1].find("Firefox (default-release) cookies.sqlite: another program"), std::string::npos)
        << unread[1];
    unread.clear();
    EXPECT_EQ(BrowserTypedAddresses(roots, &unread),
              (Texts{"https://mail.example/inbox", "https://www.bank.example/login"}));
    ASSERT_FALSE(unread.empty());
    EXPECT_EQ(unread[0].find("Google Chrome (Profile 1) History: another program"), 0u) << unread[0];
    EXPECT_EQ(test::ReadFileBytes(folder.File(kChrome + "Profile 1\\History")), historyBefore);
    EXPECT_EQ(test::ReadFileBytes(folder.File(kFirefox + "cookies.sqlite")), firefoxBefore);
}

TEST_F(BrowserSitesFixture, ADamagedOrForeignDatabaseIsSaidAndSkipped)
{
    SeedThreeProfiles();
    test::WriteFileBytes(folder.File(kChrome + "Profile 1\\Cookies"), std::string(4096, 'z'));
    Database(kFirefox + "cookies.sqlite", "CREATE TABLE moz_cookies (id INTEGER PRIMARY KEY, name TEXT)");
    std::vector<std::string> unread;
    EXPECT_EQ(BrowserCookieSites(roots, &unread), (Texts{"bank.example", "shop.example", "www.bank.example"}));
    ASSERT_EQ(unread.size(), 2u);
    EXPECT_NE(unread[0].find("(Profile 1) Cookies: the file is not an SQLite database"), std::string::npos)
        << unread[0];
    EXPECT_NE(unread[1].find("no such column: host"), std::string::npos) << unread[1];
}

TEST(BrowserSites, SitesKeptKeepsASiteWithItsSubdomainsAndHostileEntriesKeepNothing)
{
    const KeptSite kept = SitesKept({"Bank.Example", "https://shop.example:8443/cart", "Cookie:me@mail.example/",
                                     "me@news.example[1].txt", "", "*", ".", "  ", std::string(300, 'a') + ".example",
                                     "0.1", "10.0.0.2",
                                     std::string(100000, 'b')});
    for (const char* host : {".www.bank.example", "bank.example", "BANK.EXAMPLE", "a.shop.example", "mail.example",
                             ".news.example", "10.0.0.2"})
        EXPECT_TRUE(kept(host)) << host;
    for (const char* host : {"notbank.example", "bank.example.evil", "example", "other.example", "", ".", "*",
                             "127.0.0.1"})
        EXPECT_FALSE(kept(host)) << host;
    EXPECT_FALSE(SitesKept({})("bank.example"));
    EXPECT_EQ(SiteHost("https://www.Bank.example:8443/x"), "www.bank.example");
}
