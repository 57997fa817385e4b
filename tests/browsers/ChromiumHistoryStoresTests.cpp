#include "browsers/ChromiumHistoryStores.h"

#include "BrowserBoxTesting.h"

using namespace sweepora;
using namespace sweepora::test;

namespace {

// The engines a profile holds: a prepopulated one, the default (named by Preferences), one
// the user added, a starter-pack keyword, one Web Data's meta names the default, and two
// the browser added from sites visited, one of a kept site.
const char* const kKeywords = R"(
INSERT INTO meta VALUES('Default Search Provider ID','7');
INSERT INTO keywords(id,short_name,keyword,favicon_url,url,safe_for_autoreplace,originating_url,prepopulate_id,sync_guid,starter_pack_id) VALUES
 (1,'Google','google.com','','https://www.google.com/search?q={searchTerms}',1,'',1,'g-guid',0),
 (2,'Mine default','md','','https://default.example/?q={searchTerms}',1,'',0,'default-guid',0),
 (3,'My own','own','','https://own.example/?q={searchTerms}',0,'',0,'own-guid',0),
 (4,'Gone shop','gone.example','','https://gone.example/search?q={searchTerms}',1,'https://gone.example/opensearch.xml',0,'gone-guid',0),
 (5,'Kept bank','kept.example','','https://kept.example/find?q={searchTerms}',1,'https://kept.example/',0,'kept-guid',0),
 (6,'Bookmarks','@bookmarks','','chrome://bookmarks/?q={searchTerms}',1,'',0,'sp-guid',1),
 (7,'Legacy default','legacy','','https://legacy.example/?q={searchTerms}',1,'',0,'legacy-guid',0);
)";
const char* const kPreferences = R"({"default_search_provider":{"guid":"default-guid"},"profile":{"name":"Work"}})";

const char* const kUkm = R"(
CREATE TABLE meta(key LONGVARCHAR NOT NULL UNIQUE PRIMARY KEY, value LONGVARCHAR);
CREATE TABLE urls(url_id INTEGER PRIMARY KEY NOT NULL,url TEXT NOT NULL,last_timestamp INTEGER NOT NULL,counter INTEGER,title TEXT,profile_id TEXT);
CREATE TABLE metrics(id INTEGER PRIMARY KEY, event_timestamp INTEGER, ukm_source_id INTEGER, url_id INTEGER, event_id INTEGER, event_hash INTEGER, metric_hash INTEGER, metric_value INTEGER);
CREATE TABLE uma_metrics(id INTEGER PRIMARY KEY, type INTEGER, profile_id TEXT, metric_hash INTEGER, metric_value INTEGER);
INSERT INTO urls VALUES(-7345,'https://kept.example/account',1,1,'Kept title',''),(88811,'https://gone.example/secret-page',1,1,'Secret title','');
INSERT INTO metrics VALUES(1,1,1,-7345,1,1,1,1),(2,1,1,88811,1,1,1,1),(3,1,1,0,1,1,1,1);
INSERT INTO uma_metrics VALUES(1,1,'',5,5);
)";

struct HistoryStoresFixture : test::SessionFixture {
    std::string userData = folder.File("User Data");
    std::string ukm = userData + "\\segmentation_platform\\ukm_db";
    const KeptAddress kept = AddressesKept({"kept.example"});

    std::string MakeProfile(const std::string& name)
    {
        const std::string dir = userData + "\\" + name;
        std::filesystem::create_directories(dir);
        CreateDatabase(dir + "\\Web Data", std::string(kChromiumWebDataSchema) + kKeywords);
        WriteFileBytes(dir + "\\Preferences", kPreferences);
        return dir;
    }

    // One run over the profiles, as the history box runs them.
    std::vector<StoreOutcome> Run(const std::vector<std::string>& dirs, bool live)
    {
        session.run.live = live;
        EraseContext context = session.Erasure();
        const auto run = ChromiumHistoryStoresRun(kept);
        std::vector<StoreOutcome> outcomes;
        for (const std::string& dir : dirs)
            for (StoreOutcome& o : run(context, test::MakeProfile(BrowserId::Chrome, dir))) outcomes.push_back(o);
        return outcomes;
    }
};

} // namespace

TEST_F(HistoryStoresFixture, SearchEnginesAddedFromSitesAndTheModelsAddressesGoAndTheRestStays)
{
    const std::vector<std::string> dirs = {MakeProfile("Default"), MakeProfile("Profile 1")};
    std::filesystem::create_directories(userData + "\\segmentation_platform");
    CreateDatabase(ukm, kUkm, true);
    const Texts engines = QueryRows(dirs[0] + "\\Web Data", "SELECT * FROM keywords WHERE id <> 4");
    const Texts keptUrl = QueryRows(ukm, "SELECT * FROM urls WHERE url_id = -7345");

    const std::vector<StoreOutcome> outcomes = PreviewThenLive(
        {dirs[0] + "\\Web Data", dirs[1] + "\\Web Data", ukm}, [&](bool live) { return Run(dirs, live); });
    // The database User Data shares is cleaned once.
    EXPECT_EQ(Summary(outcomes), (Texts{"search engines in Web Data|1|", "segmentation_platform\\ukm_db|2|",
                                        "search engines in Web Data|1|"}));
    for (const std::string& dir : dirs) {
        EXPECT_EQ(QueryRows(dir + "\\Web Data", "SELECT * FROM keywords WHERE id <> 4"), engines);
        EXPECT_FALSE(DatabaseHolds(dir + "\\Web Data", "gone.example"));
    }
    EXPECT_EQ(QueryRows(ukm, "SELECT * FROM urls"), keptUrl);
    EXPECT_EQ(QueryRows(ukm, "SELECT id FROM metrics UNION ALL SELECT id FROM uma_metrics"), (Texts{"1", "3", "1"}));
    for (const char* gone : {"gone.example", "Secret title"}) EXPECT_FALSE(DatabaseHolds(ukm, gone)) << gone;
}

TEST_F(HistoryStoresFixture, WithoutADefaultThatCanBeToldNoEngineGoes)
{
    const std::string dir = MakeProfile("Default");
    WriteFileBytes(dir + "\\Secure Preferences", "{\"protection\": ");
    ExpectStoreLeftAlone({dir + "\\Web Data"}, false, "search engines in Web Data",
                         "Secure Preferences cannot be read (it is not valid JSON), so the default search engine "
                         "cannot be told",
                         [&](bool live) { return Run({dir}, live); });
}

namespace {

// A download record as Chromium keeps it in shared_proto_db: its id, then a nested message
// with the address chain and the page it came from.
std::string DownloadRecord(const std::string& guid, const std::vector<std::string>& addresses)
{
    const auto field = [](int number, const std::string& bytes) {
        std::string out(1, static_cast<char>(number << 3 | 2));
        out += static_cast<char>(bytes.size());
        return out + bytes;
    };
    std::string chain;
    for (const std::string& address : addresses) chain += field(1, address);
    return field(1, field(1, guid) + std::string("\x10\x01", 2) + field(4, chain + field(3, "text/plain")));
}

} // namespace

// Chromium rebuilds History's downloads from its own records at the next start: those of
// addresses not kept go from there too; the other features' entries stay byte for byte.
TEST_F(HistoryStoresFixture, DownloadRecordsOfAddressesNotKeptGoFromTheSharedDatabase)
{
    const std::string dir = MakeProfile("Default");
    const std::string shared = dir + "\\shared_proto_db";
    ASSERT_TRUE(WriteWithLevelDb(
        shared,
        {{"20_1_1", "\n\x01" "1"},
         {"21_download,kept", DownloadRecord("kept", {"https://cdn.example/kept.pdf", "https://kept.example/get"})},
         {"21_download,gone",
          DownloadRecord("gone", {"https://gone.example/report.txt", "https://gone.example/visit"})},
         {"21_download,odd", "\x08\x01"},
         {"37_DEFAULT_1001", "metrics, not a download: https://gone.example/"}},
        {}, true));
    const auto before = LevelDbEntries(shared);

    const auto preview = Run({dir}, false);
    const auto live = Run({dir}, true);
    const StoreOutcome* records = FindStore(live, "shared_proto_db downloads");
    ASSERT_NE(records, nullptr);
    EXPECT_EQ(records->rows, 1);
    EXPECT_EQ(records->problem, "");
    EXPECT_NE(records->unknown.find("1 download record"), std::string::npos) << records->unknown;
    EXPECT_EQ(Summary(preview), Summary(live));
    auto expected = before;
    expected.erase("21_download,gone");
    EXPECT_EQ(LevelDbEntries(shared), expected);
    for (const auto& [name, bytes] : TakeFolder(shared))
        EXPECT_EQ(bytes.find("gone.example/report.txt"), std::string::npos) << name;
}
