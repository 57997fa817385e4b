#include "browsers/ChromiumSiteDatabases.h"

#include "BrowserBoxTesting.h"

#include <map>

using namespace sweepora;
using namespace sweepora::test;

namespace {

// Each store as Chromium lays it out, with rows of the kept bank.example (and its
// subdomains), of gone.example and of an extension.
const char* const kTrustTokens = R"(
CREATE TABLE meta(key LONGVARCHAR NOT NULL UNIQUE PRIMARY KEY, value LONGVARCHAR);
CREATE TABLE trust_tokens_issuer_config (key TEXT, proto BLOB, PRIMARY KEY(key));
CREATE TABLE trust_tokens_issuer_toplevel_pair_config (key TEXT, proto BLOB, PRIMARY KEY(key));
CREATE TABLE trust_tokens_toplevel_config (key TEXT, proto BLOB, PRIMARY KEY(key));
INSERT INTO trust_tokens_issuer_config VALUES('https://issuer.bank.example',X'0a01'),('https://gone.example',X'0a02');
INSERT INTO trust_tokens_toplevel_config VALUES('https://www.bank.example',X'0a03'),('https://gone.example',X'0a04');
INSERT INTO trust_tokens_issuer_toplevel_pair_config VALUES('https://issuer.bank.example https://www.bank.example',X'0a05'),
  ('https://issuer.bank.example https://gone.example',X'0a06');
)";
const char* const kInterestGroups = R"(
CREATE TABLE meta(key LONGVARCHAR NOT NULL UNIQUE PRIMARY KEY, value LONGVARCHAR);
CREATE TABLE interest_groups(expiration INTEGER NOT NULL, owner TEXT NOT NULL, joining_origin TEXT NOT NULL, name TEXT NOT NULL, bidding_url TEXT NOT NULL, PRIMARY KEY(owner,name));
CREATE TABLE join_history(owner TEXT NOT NULL, name TEXT NOT NULL, join_time INTEGER NOT NULL, count INTEGER NOT NULL, PRIMARY KEY(owner, name, join_time));
CREATE TABLE bid_history(owner TEXT NOT NULL, name TEXT NOT NULL, bid_time INTEGER NOT NULL, count INTEGER NOT NULL, PRIMARY KEY(owner, name, bid_time));
CREATE TABLE win_history(owner TEXT NOT NULL, name TEXT NOT NULL, win_time INTEGER NOT NULL, ad TEXT NOT NULL);
CREATE TABLE joined_k_anon(hashed_key BLOB NOT NULL, last_reported_to_anon_server_time INTEGER NOT NULL, PRIMARY KEY(hashed_key));
CREATE TABLE cooldown_debugging_only_report(origin TEXT NOT NULL, starting_time INTEGER NOT NULL, type INTEGER NOT NULL, PRIMARY KEY(origin));
INSERT INTO interest_groups VALUES(1,'https://ads.bank.example','https://www.bank.example','kept-group','https://ads.bank.example/bid.js'),
  (1,'https://ads.bank.example','https://gone.example','joined-on-gone','https://ads.bank.example/bid.js'),
  (1,'https://gone.example','https://www.bank.example','gone-owner','https://gone.example/bid.js');
INSERT INTO join_history VALUES('https://ads.bank.example','kept-group',1,1),('https://ads.bank.example','joined-on-gone',1,1),('https://gone.example','gone-owner',1,1);
INSERT INTO bid_history VALUES('https://gone.example','gone-owner',1,1);
INSERT INTO win_history VALUES('https://ads.bank.example','kept-group',1,'https://ads.bank.example/ad'),('https://gone.example','gone-owner',1,'https://gone.example/ad');
INSERT INTO joined_k_anon VALUES(X'00ff',1);
INSERT INTO cooldown_debugging_only_report VALUES('https://gone.example',1,0),('https://bank.example',1,0);
)";
const char* const kSharedStorage = R"(
CREATE TABLE meta(key LONGVARCHAR NOT NULL UNIQUE PRIMARY KEY, value LONGVARCHAR);
CREATE TABLE values_mapping(context_origin TEXT NOT NULL,key BLOB NOT NULL,value BLOB NOT NULL,last_used_time INTEGER NOT NULL,PRIMARY KEY(context_origin,key)) WITHOUT ROWID;
CREATE TABLE per_origin_mapping(context_origin TEXT NOT NULL PRIMARY KEY,creation_time INTEGER NOT NULL,num_bytes INTEGER NOT NULL) WITHOUT ROWID;
CREATE TABLE budget_mapping(id INTEGER NOT NULL PRIMARY KEY,context_site TEXT NOT NULL,time_stamp INTEGER NOT NULL,bits_debit REAL NOT NULL);
INSERT INTO values_mapping VALUES('https://www.bank.example','kept-key','kept-value',1),('https://gone.example','gone-key','gone-value',1),
  ('chrome-extension://abcdefghijklmnop','ext-key','ext-value',1);
INSERT INTO per_origin_mapping VALUES('https://www.bank.example',1,20),('https://gone.example',1,20);
INSERT INTO budget_mapping VALUES(1,'https://bank.example',1,1.0),(2,'https://gone.example',1,1.0);
)";
const char* const kWebSqlList = R"(
CREATE TABLE meta(key LONGVARCHAR NOT NULL UNIQUE PRIMARY KEY, value LONGVARCHAR);
CREATE TABLE Databases (id INTEGER PRIMARY KEY AUTOINCREMENT, origin TEXT NOT NULL, name TEXT NOT NULL, description TEXT NOT NULL, estimated_size INTEGER NOT NULL);
INSERT INTO Databases VALUES(1,'https_www.bank.example_0','kept-db','',100),(2,'https_gone.example_0','gone-db','',100),
  (3,'http_gone.example_8080','gone-db-2','',100),(4,'chrome-extension_abcdefghijklmnop_0','ext-db','',100);
)";

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
