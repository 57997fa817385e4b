#include "browsers/ChromiumHistoryStores.h"

#include "BrowserBoxTesting.h"

using namespace sweepora;
using namespace sweepora::test;

namespace {

const std::string kKeywords = TestData("history-stores-keywords.sql");
const char* const kPreferences = R"({"default_search_provider":{"guid":"default-guid"},"profile":{"name":"Work"}})";

const std::string kUkm = TestData("history-stores-ukm.sql");

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
