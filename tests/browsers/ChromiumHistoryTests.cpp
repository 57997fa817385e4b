#include "browsers/BrowserHistory.h"
#include "platform/LongPath.h"
#include "platform/UniqueHandle.h"

#include "BrowserBoxTesting.h"

#include <sqlite3.h>

#include <cstdio>

using namespace sweepora;
using namespace sweepora::test;

namespace {

// Three addresses (kept, plain, a search), a visit whose address is gone, and clusters.
const std::string kHistoryRows = TestData("history-chromium-rows.sql");
const std::string kFavicons = TestData("history-chromium-favicons.sql");
const std::string kBookmarks = TestData("history-chromium-bookmarks.json");

const char* const kKeptAddress = "https://kept.example/page";

// Whole files that are all history, with where a folder stands instead of a file.
const Texts kHistoryFiles = {"Visited Links", "Top Sites", "Top Sites-journal", "Shortcuts", "Network Action Predictor",
                             "History Provider Cache", "DIPS", "DIPS-wal", "Sessions\\Session_13441187105615559",
                             "Sessions\\Tabs_13441187105619214", "Sessions_Encrypted\\Session_1",
                             "Network\\Network Persistent State", "Network\\TransportSecurity", "TransportSecurity",
                             "BrowsingTopicsSiteData", "BrowsingTopicsSiteData-wal", "Media History"};
// What no history clean may change.
const Texts kUntouchable = {"Bookmarks", "Login Data", "Preferences", "Secure Preferences", "Web Data"};

struct ChromiumHistoryFixture : test::SessionFixture {
    // A profile folder laid out as Chromium leaves it after a clean exit.
    std::string MakeHistoryProfile(const std::string& name, bool wal, bool embeddingsFolder)
    {
        const std::string dir = folder.File(name);
        std::filesystem::create_directories(dir + "\\Sessions");
        std::filesystem::create_directories(dir + "\\Sessions_Encrypted");
        std::filesystem::create_directories(dir + "\\Network");
        test::CreateDatabase(dir + "\\History", std::string(test::kChromiumHistorySchema) + kHistoryRows, wal);
        test::CreateDatabase(dir + "\\Favicons", kFavicons);
        test::WriteFileBytes(dir + "\\Bookmarks", kBookmarks);
        for (const std::string& file : kUntouchable)
            if (file != "Bookmarks") test::WriteFileBytes(dir + "\\" + file, file + " gone.example secret");
        for (const std::string& file : kHistoryFiles) test::WriteFileBytes(dir + "\\" + file, "gone.example " + file);
        if (embeddingsFolder) {
            std::filesystem::create_directories(dir + "\\HistoryEmbeddings");
            test::WriteFileBytes(dir + "\\HistoryEmbeddings\\embeddings.db", "gone.example passage");
        } else {
            test::WriteFileBytes(dir + "\\HistoryEmbeddings", "gone.example passage");
        }
        return dir;
    }

    std::vector<StoreOutcome> Clean(const std::string& dir, bool live)
    {
        session.run.live = live;
        EraseContext context = session.Erasure();
        return CleanChromiumHistory(context, test::MakeProfile(BrowserId::Chrome, dir),
                                    [](const std::string& url) { return url == kKeptAddress; });
    }

    // Rows of every table, so that what a run removed can be told from what is left.
    static std::int64_t AllRows(const std::string& db)
    {
        std::int64_t total = 0;
        for (const std::string& table : test::QueryRows(db, "SELECT name FROM sqlite_schema WHERE type='table' AND "
                                                            "name NOT LIKE 'sqlite%'"))
            total += std::stoll(test::QueryRows(db, "SELECT count(*) FROM \"" + table + "\"").at(0));
        return total;
    }
};

// History and the files SQLite keeps beside it, or all the other files.
Snapshot HistoryDatabase(const Snapshot& files, bool history = true)
{
    Snapshot chosen;
    for (const auto& [file, bytes] : files)
        if ((file == "History" || file.rfind("History-", 0) == 0) == history) chosen[file] = bytes;
    return chosen;
}

} // namespace

TEST_F(ChromiumHistoryFixture, TwoProfilesLoseAllButTheKeptAddressAndTheBookmarksIconsDownloadsIncluded)
{
    // One profile's History in write-ahead-log mode, the other's with a rollback journal;
    // HistoryEmbeddings a folder in one and a file in the other.
    const std::vector<std::string> profiles = {MakeHistoryProfile("Default", true, true),
                                               MakeHistoryProfile("Profile 1", false, false)};
    for (const std::string& dir : profiles) {
        SCOPED_TRACE(dir);
        const std::string history = dir + "\\History", favicons = dir + "\\Favicons";
        // Counted first: the reading leaves the log files a write-ahead-log database opens.
        const std::int64_t historyRows = AllRows(history), iconRows = AllRows(favicons);
        const Snapshot before = TakeFolder(dir);

        const std::vector<StoreOutcome> preview = Clean(dir, false);
        EXPECT_EQ(TakeFolder(dir), before); // the test run changes nothing

        const std::vector<StoreOutcome> outcomes = Clean(dir, true);
        ASSERT_EQ(outcomes.size(), 3u);
        EXPECT_EQ(Summary(preview), Summary(outcomes));
        EXPECT_EQ(Summary(outcomes),
                  (Texts{"History|" + std::to_string(historyRows - AllRows(history)) + "|",
                         "Favicons|" + std::to_string(iconRows - AllRows(favicons)) + "|", "history files|" +
                         std::to_string(outcomes[2].rows) + "|"}));
        EXPECT_EQ(outcomes[0].unknown, "left alone: history_sync_metadata, journeys");
        EXPECT_EQ(preview[0].unknown, outcomes[0].unknown);

        const std::pair<const char*, Texts> left[] = {
            {"SELECT id, url, typed_count FROM urls", {"1|https://kept.example/page|1"}},
            {"SELECT id FROM visits", {"1"}}, {"SELECT id FROM visit_source", {"1"}},
            {"SELECT term FROM keyword_search_terms", {"kept term"}}, {"SELECT id FROM segments", {"1"}},
            {"SELECT segment_id FROM segment_usage", {"1"}}, {"SELECT visit_id FROM content_annotations", {"1"}},
            {"SELECT visit_id FROM context_annotations", {"1"}}, {"SELECT cluster_id FROM clusters", {"2"}},
            {"SELECT cluster_id, visit_id FROM clusters_and_visits", {"2|1"}},
            {"SELECT keyword FROM cluster_keywords", {"keptkeyword"}},
            {"SELECT * FROM cluster_visit_duplicates", {"1|1"}}, {"SELECT link_url_id FROM visited_links", {"1"}},
            // The download that came through the kept address stays; the other's records go.
            {"SELECT id, url FROM downloads_url_chains", {"2|https://kept.example/page"}},
            {"SELECT id, target_path FROM downloads", {"2|C:\\dl\\kept.pdf"}},
            {"SELECT download_id FROM downloads_slices", {"2"}},
            {"SELECT count(*) FROM history_sync_metadata", {"1"}}};
        for (const auto& [query, rows] : left) EXPECT_EQ(test::QueryRows(history, query), rows) << query;
        // Not a byte of a removed row is left in the file, its log or its journal.
        for (const char* gone :
             {"gone.example", "Secret A", "hidden wish", "Hidden Wish", "gonekeyword", "Gone cluster",
              "downloads.example", "secret-file", "file.zip"})
            EXPECT_FALSE(test::DatabaseHolds(history, gone)) << gone;
        for (const char* stays : {"kept.example/page", "Kept page title", "keptkeyword", "kept.pdf"})
            EXPECT_TRUE(test::DatabaseHolds(history, stays)) << stays;

        EXPECT_EQ(test::QueryRows(favicons, "SELECT page_url FROM icon_mapping ORDER BY id"),
                  (Texts{"https://bookmarked.example/", "https://kept.example/page", "https://nested.example/deep"}));
        EXPECT_EQ(test::QueryRows(favicons, "SELECT id FROM favicons ORDER BY id"), (Texts{"1", "3", "4"}));
        EXPECT_EQ(test::QueryRows(favicons, "SELECT icon_id FROM favicon_bitmaps ORDER BY id"), (Texts{"1", "3", "4"}));
        for (const char* gone : {"gone.example", "orphan.example"})
            EXPECT_FALSE(test::DatabaseHolds(favicons, gone)) << gone;

        for (const std::string& file : kHistoryFiles) EXPECT_FALSE(Exists(dir + "\\" + file)) << file;
        EXPECT_FALSE(Exists(dir + "\\HistoryEmbeddings\\embeddings.db"));
        const std::string embeddings = dir + "\\HistoryEmbeddings";
        EXPECT_FALSE(Exists(embeddings) && !std::filesystem::is_directory(embeddings));
        EXPECT_TRUE(std::filesystem::is_directory(dir + "\\Sessions"));
        for (const std::string& file : kUntouchable)
            EXPECT_EQ(test::ReadFileBytes(dir + "\\" + file), before.at(file)) << file;
    }
}

TEST_F(ChromiumHistoryFixture, AnAbortBetweenStoresLeavesTheRestAsItWas)
{
    const std::string dir = MakeHistoryProfile("Default", false, true);
    const Snapshot before = TakeFolder(dir);
    host.onYield = [&] { session.run.abort = true; };
    const std::vector<StoreOutcome> outcomes = Clean(dir, true);
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_EQ(outcomes[0].store, "History");
    EXPECT_GT(outcomes[0].rows, 0);
    EXPECT_EQ(HistoryDatabase(TakeFolder(dir), false), HistoryDatabase(before, false));
}

TEST_F(ChromiumHistoryFixture, AnUnreadableBookmarksFileKeepsEveryIcon)
{
    const std::string dir = MakeHistoryProfile("Default", false, true);
    test::WriteFileBytes(dir + "\\Bookmarks", "{\"roots\": {\"bookmark_bar\": ");
    const std::string icons = test::ReadFileBytes(dir + "\\Favicons");
    for (bool live : {false, true}) {
        const std::vector<StoreOutcome> outcomes = Clean(dir, live);
        const StoreOutcome* favicons = FindStore(outcomes, "Favicons");
        ASSERT_NE(favicons, nullptr);
        EXPECT_EQ(favicons->problem,
                  "Bookmarks cannot be read (it is not valid JSON), so the icons of bookmarked pages cannot be told apart");
        EXPECT_EQ(favicons->rows, 0);
        EXPECT_EQ(test::ReadFileBytes(dir + "\\Favicons"), icons);
        EXPECT_EQ(FindStore(outcomes, "History")->problem, "");
    }
    EXPECT_EQ(test::QueryRows(dir + "\\History", "SELECT url FROM urls"), (Texts{kKeptAddress}));
}

// Each bad History is left exactly as it was, in a test run and a live one, with its reason;
// the other stores of the profile are still cleaned.
struct ChromiumBadHistoryFixture : ChromiumHistoryFixture {
    // `hold` keeps History open without sharing, as a running browser holds it.
    void ExpectLeftAlone(const std::string& dir, const std::string& problem, bool hold = false)
    {
        ExpectStoreLeftAlone({dir + "\\History"}, hold, "History", problem, [&](bool live) { return Clean(dir, live); });
        EXPECT_EQ(test::QueryRows(dir + "\\Favicons", "SELECT count(*) FROM icon_mapping"), (Texts{"3"}));
    }

    // A copy of History and its -wal or -journal taken while a writer is mid-transaction,
    // as a browser that stopped then would leave them.
    static void Interrupted(const std::string& dir, bool wal)
    {
        const std::string source = dir + "\\source.db";
        test::CreateDatabase(source, std::string(test::kChromiumHistorySchema) + kHistoryRows, wal);
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(source.c_str(), &db), SQLITE_OK);
        // A one-page cache spills the open transaction's pages to the log or the journal.
        ASSERT_EQ(sqlite3_exec(db, "PRAGMA cache_size=1; BEGIN; "
                                   "WITH RECURSIVE n(v) AS (SELECT 1 UNION ALL SELECT v + 1 FROM n WHERE v < 300) "
                                   "INSERT INTO urls(url,title,last_visit_time) SELECT 'https://unfinished.example/' || v, hex(randomblob(300)), 1 FROM n;",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK)
            << sqlite3_errmsg(db);
        const std::string side = wal ? "-wal" : "-journal";
        const std::string main = test::ReadFileBytes(source), log = test::ReadFileBytes(source + side);
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        for (const char* suffix : {"", "-wal", "-journal"}) std::remove((dir + "\\History" + suffix).c_str());
        ASSERT_FALSE(log.empty());
        test::WriteFileBytes(dir + "\\History", main);
        test::WriteFileBytes(dir + "\\History" + side, log);
        std::remove(source.c_str());
    }
};

TEST_F(ChromiumBadHistoryFixture, LockedCorruptUnknownAndUnfinishedDatabasesAreLeftExactlyAsTheyWere)
{
    ExpectLeftAlone(MakeHistoryProfile("Locked", false, true),
                    "another program has the file open for itself; close it and try again", true);
    {
        SCOPED_TRACE("a damaged page");
        const std::string dir = MakeHistoryProfile("Damaged", false, true);
        std::string bytes = test::ReadFileBytes(dir + "\\History");
        ASSERT_GT(bytes.size(), 3u * 4096);
        // The second page holds the start of the schema's tables: scribble over its b-tree header.
        for (std::size_t i = 4096; i < 4096 + 64; ++i) bytes[i] = '\x7f';
        test::WriteFileBytes(dir + "\\History", bytes);
        const std::vector<StoreOutcome> outcomes = Clean(dir, false);
        ASSERT_FALSE(outcomes.empty());
        EXPECT_NE(outcomes[0].problem.find("damaged"), std::string::npos) << outcomes[0].problem;
        ExpectLeftAlone(dir, outcomes[0].problem);
    }
    {
        SCOPED_TRACE("a newer layout");
        const std::string dir = MakeHistoryProfile("Newer", true, true);
        test::CreateDatabase(dir + "\\History",
                             "CREATE TABLE urls(id INTEGER PRIMARY KEY, address LONGVARCHAR, title LONGVARCHAR);"
                             "CREATE TABLE visits(id INTEGER PRIMARY KEY, url INTEGER);"
                             "INSERT INTO urls VALUES(1,'https://gone.example/','t'); INSERT INTO visits VALUES(1,1);",
                             true);
        ExpectLeftAlone(dir, "unknown layout: table urls has no column url");
        test::CreateDatabase(dir + "\\History", "CREATE TABLE moz_places(id INTEGER PRIMARY KEY, url TEXT);");
        ExpectLeftAlone(dir, "unknown layout: no table urls");
    }
    for (const bool wal : {true, false}) {
        SCOPED_TRACE(wal ? "a write-ahead log with an unfinished transaction" : "a live rollback journal");
        const std::string dir = MakeHistoryProfile(wal ? "Unfinished log" : "Unfinished journal", wal, true);
        Interrupted(dir, wal);
        ExpectLeftAlone(dir, std::string(wal ? "History-wal" : "History-journal") +
                                 " holds a change Google Chrome did not finish (it did not close cleanly); "
                                 "start and close Google Chrome, then clean again");
    }
}
