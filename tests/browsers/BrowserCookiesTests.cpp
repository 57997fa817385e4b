#include "browsers/BrowserCookies.h"
#include "browsers/FirefoxSiteStorage.h"
#include "platform/LongPath.h"
#include "platform/UniqueHandle.h"

#include "BrowserBoxTesting.h"

using namespace sweepora;
using namespace sweepora::test;

namespace {

const std::string kChromiumCookieRows = TestData("cookies-chromium-rows.sql");
const Texts kChromiumGoneText = {"gone.example", "gone-cookie-value", "gone-partitioned", "evil.example", "evil-value"};

const std::string kReportingSchema = TestData("cookies-chromium-reporting.sql");
const std::string kQuotaManager = TestData("cookies-chromium-quota-manager.sql");

// Files of each Chromium profile: those of kept sites and extensions stay byte for byte.
const Texts kChromiumKeptFiles = {
    "IndexedDB\\https_www.bank.example_0.indexeddb.leveldb\\000003.log",
    "IndexedDB\\https_bank.example_0.indexeddb.blob\\1\\00\\1",
    "IndexedDB\\chrome-extension_abcdefghijklmnop_0.indexeddb.leveldb\\000003.log",
    "File System\\001\\t\\00\\00000001",
    "WebStorage\\5\\IndexedDB\\indexeddb.leveldb\\000003.log",
    "WebStorage\\6\\FileSystem\\t\\00\\00000001",
    "WebStorage\\9\\IndexedDB\\orphan.log",
    "Local Storage\\leveldb\\000003.log",
    "Extensions\\abcdefghijklmnop\\1.0\\manifest.json",
    "Local Extension Settings\\abcdefghijklmnop\\000003.log",
    "Login Data",
    "Bookmarks",
    "Preferences",
    "Secure Preferences",
};
const Texts kChromiumGoneFolders = {"IndexedDB\\https_gone.example_0.indexeddb.leveldb",
                                    "IndexedDB\\https_gone.example_0.indexeddb.blob",
                                    "IndexedDB\\http_tracker.example_8080.indexeddb.leveldb",
                                    "File System\\000",
                                    "WebStorage\\3",
                                    "WebStorage\\4"};
const Texts kChromiumGoneFiles = {
    "IndexedDB\\https_gone.example_0.indexeddb.leveldb\\000003.log",
    "IndexedDB\\https_gone.example_0.indexeddb.blob\\1\\00\\2",
    "IndexedDB\\http_tracker.example_8080.indexeddb.leveldb\\MANIFEST-000001",
    "File System\\000\\t\\00\\00000001",
    "File System\\000\\t\\Paths\\000003.log",
    "WebStorage\\3\\IndexedDB\\indexeddb.leveldb\\000003.log",
    "WebStorage\\4\\CacheStorage\\index.txt",
};

const std::string kFirefoxCookieRows = TestData("cookies-firefox-rows.sql");
const std::string kWebappsStore = TestData("cookies-firefox-webappsstore.sql");
const std::string kQuotaCache = TestData("cookies-firefox-storage.sql");
const char* const kServiceWorkers =
    "12\n"
    "\nhttps://www.bank.example/\nhttps://www.bank.example/sw.js\ntrue\n{1}\n0\n#\n"
    "\nhttps://gone.example/app/\nhttps://gone.example/sw.js\ntrue\n{2}\n0\n#\n"
    "^partitionKey=%28https%2Cbank.example%29\nhttps://gone.example/\nhttps://gone.example/"
    "w.js\ntrue\n{3}\n0\n#\n";
const std::string kFirefoxPermissionRows = TestData("cookies-firefox-permission-rows.sql");

const Texts kFirefoxKeptFiles = {
    "storage\\default\\https+++www.bank.example\\ls\\data.sqlite",
    "storage\\default\\https+++bank.example^userContextId=1\\idb\\1.sqlite",
    "storage\\default\\https+++bank.example^partitionKey=%28https%2Cshop.example%29\\.metadata-v2",
    "storage\\default\\moz-extension+++1234-abcd^userContextId=4294967295\\idb\\2.sqlite",
    "storage\\default\\file++++C++Users+me+page.html\\ls\\data.sqlite",
    "storage\\permanent\\chrome\\idb\\3.sqlite",
    "logins.json",
    "key4.db",
    "cert9.db",
    "places.sqlite",
    "extensions.json",
    "prefs.js",
};
const Texts kFirefoxGoneFolders = {"storage\\default\\https+++gone.example",
                                   "storage\\default\\https+++gone.example^partitionKey=%28https%2Cbank.example%29",
                                   "storage\\default\\http+++127.0.0.1+8080",
                                   "storage\\temporary\\https+++gone.example"};

struct BrowserCookiesFixture : test::SessionFixture {
    const KeptSite kept = SitesKept({"bank.example"});

    // A profile as Chromium 156 leaves it; `network` puts the cookies in "Network" (in
    // write-ahead-log mode), otherwise beside History as older versions did.
    std::string MakeChromium(const std::string& name, bool network)
    {
        const std::string dir = folder.File(name);
        const std::string cookies = dir + (network ? "\\Network\\Cookies" : "\\Cookies");
        std::filesystem::create_directories(std::filesystem::path(cookies).parent_path());
        test::CreateDatabase(cookies, std::string(test::kChromiumCookiesSchema) + kChromiumCookieRows, network);
        test::CreateDatabase(dir + (network ? "\\Network" : "") + "\\Reporting and NEL", kReportingSchema);
        for (const std::string& file : kChromiumKeptFiles) Put(dir + "\\" + file, file + " bank.example kept");
        for (const std::string& file : kChromiumGoneFiles) Put(dir + "\\" + file, file + " gone.example data");
        EXPECT_TRUE(WriteLevelDb(dir + "\\File System\\Origins", {{"ORIGIN:https_gone.example_0", "000"},
                                                                            {"ORIGIN:https_www.bank.example_0", "001"},
                                                                            {"ORIGIN:http_tracker.example_0", "002"},
                                                                            {"LAST_PATH", "002"}}));
        test::CreateDatabase(dir + "\\WebStorage\\QuotaManager", kQuotaManager);
        return dir;
    }

    std::string MakeFirefox(const std::string& name, bool wal)
    {
        const std::string dir = folder.File(name);
        std::filesystem::create_directories(dir + "\\storage");
        test::CreateDatabase(dir + "\\cookies.sqlite", std::string(test::kFirefoxCookiesSchema) + kFirefoxCookieRows,
                             wal);
        test::CreateDatabase(dir + "\\webappsstore.sqlite", kWebappsStore, wal);
        test::CreateDatabase(dir + "\\storage\\ls-archive.sqlite", kWebappsStore);
        test::CreateDatabase(dir + "\\storage.sqlite", kQuotaCache);
        test::CreateDatabase(dir + "\\permissions.sqlite",
                             std::string(test::kFirefoxPermissionsSchema) + kFirefoxPermissionRows, wal);
        test::WriteFileBytes(dir + "\\serviceworker.txt", kServiceWorkers);
        for (const std::string& file : kFirefoxKeptFiles) Put(dir + "\\" + file, file + " bank.example kept");
        for (const std::string& gone : kFirefoxGoneFolders) {
            Put(dir + "\\" + gone + "\\ls\\data.sqlite", "gone.example local storage");
            Put(dir + "\\" + gone + "\\idb\\1.files\\1", "gone.example blob");
            Put(dir + "\\" + gone + "\\.metadata-v2", "https://gone.example");
        }
        return dir;
    }

    std::vector<StoreOutcome> Chromium(const std::string& dir, bool live) { return Clean(dir, live, false); }
    std::vector<StoreOutcome> Firefox(const std::string& dir, bool live) { return Clean(dir, live, true); }
    std::vector<StoreOutcome> Clean(const std::string& dir, bool live, bool firefox)
    {
        session.run.live = live;
        EraseContext context = session.Erasure();
        return firefox ? CleanFirefoxCookies(context, MakeProfile(BrowserId::Firefox, dir), kept)
                       : CleanChromiumCookies(context, MakeProfile(BrowserId::Chrome, dir), kept);
    }
};

} // namespace

TEST_F(BrowserCookiesFixture, ChromiumProfilesKeepTheKeptSitesCookiesAndStorageAndLoseTheRest)
{
    for (const bool network : {true, false}) {
        const std::string dir = MakeChromium(network ? "Default" : "Profile 1", network);
        SCOPED_TRACE(dir);
        const std::string cookies = dir + (network ? "\\Network\\Cookies" : "\\Cookies");
        const Snapshot before = TakeFolder(dir);

        const std::vector<StoreOutcome> preview = Chromium(dir, false);
        EXPECT_EQ(TakeFolder(dir), before); // the test run changes no byte
        const std::vector<StoreOutcome> live = Chromium(dir, true);

        const std::string prefix = network ? "Network\\" : "";
        const Texts expected = {prefix + "Cookies|3|", prefix + "Reporting and NEL|3|", "IndexedDB|3|",
                                "File System|2|", "WebStorage|3|"};
        EXPECT_EQ(Summary(live), expected);
        EXPECT_EQ(Summary(preview), expected);

        EXPECT_EQ(test::QueryRows(cookies, "SELECT host_key, name, value FROM cookies ORDER BY creation_utc"),
                  (Texts{".bank.example|session|bank-session-value", "www.bank.example|pref|www-bank-value",
                         "bank.example|chips|partitioned-kept"}));
        for (const std::string& gone : kChromiumGoneText) EXPECT_FALSE(test::DatabaseHolds(cookies, gone)) << gone;
        EXPECT_TRUE(test::DatabaseHolds(cookies, "shop.example"));
        EXPECT_EQ(test::QueryRows(dir + "\\" + prefix + "Reporting and NEL", "SELECT origin_host FROM nel_policies"),
                  (Texts{"www.bank.example"}));

        for (const std::string& file : kChromiumKeptFiles)
            EXPECT_EQ(test::ReadFileBytes(dir + "\\" + file), before.at(file)) << file;
        for (const std::string& gone : kChromiumGoneFolders) EXPECT_FALSE(Exists(dir + "\\" + gone)) << gone;
        // The index of origins no longer names the sites that went, and still finds the kept one.
        EXPECT_EQ(
            LevelDbEntries(dir + "\\File System\\Origins"),
            (std::map<std::string, std::string>{{"LAST_PATH", "002"}, {"ORIGIN:https_www.bank.example_0", "001"}}));
        EXPECT_FALSE(Exists(dir + "\\File System\\Origins.sweepora-old"));
        EXPECT_EQ(test::QueryRows(dir + "\\WebStorage\\QuotaManager", "SELECT id FROM buckets ORDER BY id"),
                  (Texts{"1", "5", "6"}));
        EXPECT_FALSE(test::DatabaseHolds(dir + "\\WebStorage\\QuotaManager", "gone.example"));

        // A second run finds nothing more to remove.
        EXPECT_EQ(Summary(Chromium(dir, true)), (Texts{prefix + "Cookies|0|", prefix + "Reporting and NEL|0|",
                                                       "IndexedDB|0|", "File System|0|", "WebStorage|0|"}));
    }
}

TEST_F(BrowserCookiesFixture, FirefoxProfilesKeepTheKeptSitesCookiesAndStorageAndLoseTheRest)
{
    for (const bool wal : {true, false}) {
        const std::string dir = MakeFirefox(wal ? "abcd.default-release" : "efgh.second", wal);
        SCOPED_TRACE(dir);
        const Snapshot before = TakeFolder(dir);

        const std::vector<StoreOutcome> preview = Firefox(dir, false);
        EXPECT_EQ(TakeFolder(dir), before);
        const std::vector<StoreOutcome> live = Firefox(dir, true);

        const std::string permissions = dir + "\\permissions.sqlite";
        const Texts keptPermissions =
            test::QueryRows(permissions, "SELECT * FROM moz_perms WHERE id NOT IN (2, 5, 6) ORDER BY id");
        const Texts expected = {"cookies.sqlite|3|",       "permissions.sqlite|6|", "storage|4|",
                                "webappsstore.sqlite|2|", "ls-archive.sqlite|2|",  "storage.sqlite|2|",
                                "serviceworker.txt|2|"};
        EXPECT_EQ(Summary(live), expected);
        EXPECT_EQ(Summary(preview), expected);

        const std::string cookies = dir + "\\cookies.sqlite";
        EXPECT_EQ(test::QueryRows(cookies, "SELECT host, value FROM moz_cookies ORDER BY id"),
                  (Texts{".bank.example|bank-session-value", "www.bank.example|www-bank-value"}));
        for (const std::string& gone : kChromiumGoneText) EXPECT_FALSE(test::DatabaseHolds(cookies, gone)) << gone;
        // Permissions the user gave and those of kept sites stay byte for byte.
        EXPECT_EQ(test::QueryRows(permissions, "SELECT * FROM moz_perms ORDER BY id"), keptPermissions);
        EXPECT_EQ(keptPermissions.size(), 6u);
        EXPECT_EQ(test::QueryRows(permissions, "SELECT type FROM moz_hosts"), (Texts{"popup"}));
        // When a site was last used stays while a permission of the user's needs it.
        EXPECT_EQ(test::QueryRows(permissions, "SELECT * FROM moz_origin_interactions ORDER BY origin"),
                  (Texts{"https://gone.example|3", "https://www.bank.example|1"}));
        for (const char* gone : {"tracker-gone", "shop-gone", "3rdPartyFrameStorage", "interacted-gone"})
            EXPECT_FALSE(test::DatabaseHolds(permissions, gone)) << gone;
        for (const char* database : {"\\webappsstore.sqlite", "\\storage\\ls-archive.sqlite"}) {
            EXPECT_EQ(test::QueryRows(dir + database, "SELECT value FROM webappsstore2 ORDER BY value"),
                      (Texts{"bank-local-value", "extension-local-value", "www-local-value"}));
            EXPECT_FALSE(test::DatabaseHolds(dir + database, "gone-local")) << database;
        }
        EXPECT_EQ(test::QueryRows(dir + "\\storage.sqlite", "SELECT origin FROM origin ORDER BY origin"),
                  (Texts{"chrome", "https://www.bank.example", "moz-extension://1234-abcd"}));
        EXPECT_EQ(test::QueryRows(dir + "\\storage.sqlite", "SELECT valid FROM cache"), (Texts{"0"}));
        EXPECT_EQ(test::ReadFileBytes(dir + "\\serviceworker.txt"),
                  "12\n\nhttps://www.bank.example/\nhttps://www.bank.example/sw.js\ntrue\n{1}\n0\n#\n");
        for (const char* aside : {".sweepora-old", ".sweepora-new"})
            EXPECT_FALSE(Exists(dir + "\\serviceworker.txt" + aside)) << aside;

        for (const std::string& file : kFirefoxKeptFiles)
            EXPECT_EQ(test::ReadFileBytes(dir + "\\" + file), before.at(file)) << file;
        for (const std::string& gone : kFirefoxGoneFolders) EXPECT_FALSE(Exists(dir + "\\" + gone)) << gone;
        EXPECT_TRUE(Exists(dir + "\\storage\\default"));
    }
}

TEST_F(BrowserCookiesFixture, FirefoxNamesOfOriginsAreReadAsFirefoxWritesThem)
{
    // Plain, suffixed and extension folders are read in the profile tests above.
    const std::pair<const char*, const char*> folders[] = {
        {"http+++127.0.0.1+8931^partitionKey=%28http%2Clocalhost%29", "http|127.0.0.1"},
        {"http+++[++1]+8080", "http|[::1]"},
        {"not an origin", ""},
    };
    for (const auto& [name, expected] : folders) {
        std::string scheme, site;
        EXPECT_EQ(ParseOriginFolder(name, scheme, site) ? scheme + "|" + site : "", expected) << name;
    }
    std::string scheme, site;
    EXPECT_FALSE(ParseOriginKey(":https:443", scheme, site)); // the good ones: see webappsstore above
}

// Each bad Cookies database is left exactly as it was, in a test run and a live one, with
// its reason; the profile's other stores are still cleaned. (Damaged files take the same
// way as held ones: see the History and SQLite tests.)
TEST_F(BrowserCookiesFixture, LockedAndUnknownCookieDatabasesAreLeftAsTheyWere)
{
    const auto expectLeftAlone = [&](const std::string& dir, const std::string& problem, bool hold) {
        ExpectStoreLeftAlone({dir + "\\Network\\Cookies"}, hold, "Network\\Cookies", problem,
                             [&](bool live) { return Chromium(dir, live); },
                             [](const std::vector<StoreOutcome>& outcomes) {
                                 const StoreOutcome* indexedDb = FindStore(outcomes, "IndexedDB");
                                 ASSERT_NE(indexedDb, nullptr);
                                 EXPECT_EQ(indexedDb->rows, 3);
                             });
    };
    // Held open by a running browser, and of a newer layout.
    expectLeftAlone(MakeChromium("Locked", true),
                    "another program has the file open for itself; close it and try again", true);
    const std::string dir = MakeChromium("Newer", true);
    test::CreateDatabase(dir + "\\Network\\Cookies",
                         "CREATE TABLE cookies(creation_utc INTEGER, domain TEXT, name TEXT, value TEXT);"
                         "INSERT INTO cookies VALUES(1,'.gone.example','a','b');");
    expectLeftAlone(dir, "unknown layout: table cookies has no column host_key", false);
}

TEST_F(BrowserCookiesFixture, FirefoxPermissionsThatCannotBeReadStayAsTheyWere)
{
    const std::string dir = MakeFirefox("perms.default", true);
    ExpectBadDatabasesLeftAlone(session.run, dir + "\\permissions.sqlite", "permissions.sqlite", "moz_perms",
                                [&](bool live) { return Firefox(dir, live); });
}
