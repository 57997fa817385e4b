#include "browsers/ChromiumSiteDatabases.h"

#include "BrowserBoxTesting.h"

#include <map>

using namespace sweepora;
using namespace sweepora::test;

namespace {

// Each store as Chromium lays it out, with rows of the kept bank.example (and its
// subdomains), of gone.example and of an extension.
const std::string kTrustTokens = TestData("sites-trust-tokens.sql");
const std::string kInterestGroups = TestData("sites-interest-groups.sql");
const std::string kSharedStorage = TestData("sites-shared-storage.sql");
const std::string kWebSqlList = TestData("sites-websql-databases.sql");

struct SiteDatabasesFixture : test::SessionFixture {
    std::string dir = folder.File("Default");

    void SetUp() override
    {
        std::filesystem::create_directories(dir + "\\Network");
        CreateDatabase(dir + "\\Network\\Trust Tokens", kTrustTokens);
        CreateDatabase(dir + "\\InterestGroups", kInterestGroups, true);
        CreateDatabase(dir + "\\SharedStorage", kSharedStorage);
        std::filesystem::create_directories(dir + "\\databases");
        CreateDatabase(dir + "\\databases\\Databases.db", kWebSqlList);
        for (const char* site : {"https_www.bank.example_0", "chrome-extension_abcdefghijklmnop_0"})
            Put(dir + "\\databases\\" + site + "\\1", std::string(site) + " kept rows");
        for (const char* site : {"https_gone.example_0", "http_gone.example_8080"})
            Put(dir + "\\databases\\" + site + "\\2", "gone.example secret rows");
    }

    std::vector<StoreOutcome> Clean(bool live)
    {
        session.run.live = live;
        EraseContext context = session.Erasure();
        return CleanChromiumSiteDatabases(context, MakeProfile(BrowserId::Chrome, dir), SitesKept({"bank.example"}));
    }
};

// Every row of every table, by table; the rows that name gone.example left out when `kept`.
std::map<std::string, Texts> Rows(const std::string& db, bool kept)
{
    std::map<std::string, Texts> rows;
    for (const std::string& table : QueryRows(db, "SELECT name FROM sqlite_schema WHERE type = 'table'"))
        for (const std::string& row : QueryRows(db, "SELECT * FROM \"" + table + "\""))
            if (!kept || row.find("gone") == std::string::npos) rows[table].push_back(row);
    return rows;
}

} // namespace

TEST_F(SiteDatabasesFixture, TheKeptSitesRowsStayAsTheyWereAndTheRestGo)
{
    const Texts databases = {dir + "\\Network\\Trust Tokens", dir + "\\InterestGroups", dir + "\\SharedStorage",
                             dir + "\\databases\\Databases.db"};
    std::vector<std::map<std::string, Texts>> kept;
    for (const std::string& db : databases) kept.push_back(Rows(db, true));
    const Snapshot keptFolders = TakeFolder(dir + "\\databases");

    const std::vector<StoreOutcome> outcomes = PreviewThenLive(databases, [&](bool live) { return Clean(live); });
    EXPECT_EQ(Summary(outcomes), (Texts{"Network\\Trust Tokens|3|", "InterestGroups|7|", "SharedStorage|3|",
                                        "databases (WebSQL)|2|"}));
    // Each row that names gone.example went (a pair, a group joined there, its counts), and
    // not a byte of it is left; every other row is as it was.
    for (std::size_t i = 0; i < databases.size(); ++i) {
        EXPECT_EQ(Rows(databases[i], false), kept[i]) << databases[i];
        EXPECT_FALSE(DatabaseHolds(databases[i], "gone")) << databases[i];
    }
    Snapshot left = keptFolders;
    for (auto it = left.begin(); it != left.end();)
        it = it->first.find("gone") != std::string::npos || it->first == "Databases.db" ? left.erase(it) : std::next(it);
    Snapshot after = TakeFolder(dir + "\\databases");
    after.erase("Databases.db");
    EXPECT_EQ(after, left);
}

TEST_F(SiteDatabasesFixture, AHeldDamagedOrUnknownStoreIsLeftAsItWas)
{
    ExpectBadDatabasesLeftAlone(session.run, dir + "\\SharedStorage", "SharedStorage", "values_mapping",
                                [&](bool live) { return Clean(live); });
}
