#include "browsers/BrowserHistory.h"
#include "platform/LongPath.h"
#include "platform/UniqueHandle.h"

#include "BrowserBoxTesting.h"

#include <filesystem>

using namespace sweepora;

namespace {

// Removed in both layouts: visits 3+2+1+1+1, input 2, annos 3 (the private page's and the
// bookmarked page's downloads), places 3. In the modern layout also place 7's visit,
// metadata 1, search queries 1, origins 2, sync data 2+1, new tab records 1+1+1, tombstone 1.
constexpr std::int64_t kPlacesRowsOlder = 8 + 2 + 3 + 3;
constexpr std::int64_t kPlacesRowsModern = kPlacesRowsOlder + 1 + 1 + 1 + 2 + 3 + 3 + 1;

const std::string kFaviconRows = test::TestData("history-firefox-favicons-rows.sql");
// Pages 2 and 3, the mapping of page 3, icons 2 and 3.
constexpr std::int64_t kFaviconRowsRemoved = 5;

const std::string kContentPrefRows = test::TestData("history-firefox-content-prefs-rows.sql");
// Preferences 2, 3, 5, 6 and groups 2, 3, 4.
constexpr std::int64_t kContentPrefRowsRemoved = 7;

// Whole files that are all history, and what no history clean may change.
const char* const kGoneFiles[] = {"sessionstore.jsonlz4", "sessionstore-backups\\recovery.jsonlz4",
                                  "sessionstore-backups\\previous.jsonlz4", "SiteSecurityServiceState.txt",
                                  "AlternateServices.txt", "SiteSecurityServiceState.bin",
                                  "AlternateServices.bin", "places-previews\\0f1e2d3c4b5a69788796a5b4c3d2e1f0.webp"};
const char* const kKeptFiles[] = {"logins.json",        "cookies.sqlite",     "key4.db",
                                  "cert9.db",           "permissions.sqlite", "formhistory.sqlite",
                                  "bookmarkbackups\\bookmarks-2026.jsonlz4", "ClientAuthRememberList.bin"};

struct FirefoxProfile {
    std::string roaming, local;
    BrowserProfile profile;

    std::string File(const std::string& name) const { return roaming + "\\" + name; }
    std::string Local(const std::string& name) const { return local + "\\" + name; }
    std::string Places() const { return File("places.sqlite"); }
    std::string Favicons() const { return File("favicons.sqlite"); }
    std::string ContentPrefs() const { return File("content-prefs.sqlite"); }
};

struct FirefoxHistory : test::SessionFixture {
    const KeptAddress kept = [](const std::string& url) { return url.rfind("https://kept.example/", 0) == 0; };

    FirefoxProfile MakeProfile(const std::string& name, bool modern)
    {
        FirefoxProfile p;
        p.roaming = folder.File("Roaming\\Profiles\\" + name);
        p.local = folder.File("Local\\Profiles\\" + name);
        for (const std::string& f : {p.roaming + "\\sessionstore-backups", p.roaming + "\\bookmarkbackups",
                                     p.roaming + "\\places-previews",
                                     p.local + "\\thumbnails", p.local + "\\jumpListCache", p.local + "\\cache2"})
            std::filesystem::create_directories(f);
        test::CreateDatabase(p.Places(), test::FirefoxPlacesSchema(modern) +
                                                 test::TestData(modern ? "history-firefox-places-modern-rows.sql"
                                                                       : "history-firefox-places-older-rows.sql"), true);
        test::CreateDatabase(p.Favicons(), std::string(test::kFirefoxFaviconsSchema) + kFaviconRows, true);
        test::CreateDatabase(p.ContentPrefs(), std::string(test::kFirefoxContentPrefsSchema) + kContentPrefRows);
        for (const char* file : kGoneFiles) test::WriteFileBytes(p.File(file), std::string("contents of ") + file);
        for (const char* file : kKeptFiles) test::WriteFileBytes(p.File(file), std::string("contents of ") + file);
        for (const char* file : {"thumbnails\\a1b2.png", "jumpListCache\\x9.ico", "cache2\\entry"})
            test::WriteFileBytes(p.Local(file), std::string("contents of ") + file);
        p.profile.browser = BrowserId::Firefox;
        p.profile.name = name;
        p.profile.folder = LongPath(p.roaming);
        p.profile.localFolder = LongPath(p.local);
        p.profile.dataFolder = LongPath(folder.File("Roaming"));
        return p;
    }

    std::vector<StoreOutcome> Clean(const FirefoxProfile& p)
    {
        EraseContext context = session.Erasure();
        return CleanFirefoxHistory(context, p.profile, kept);
    }
};

} // namespace

TEST_F(FirefoxHistory, LiveRunKeepsBookmarksAndKeptAddressesAndErasesTheRest)
{
    const FirefoxProfile modern = MakeProfile("abc.default-release", true);
    const FirefoxProfile older = MakeProfile("xyz.default", false);
    const test::Snapshot start = test::TakeFolder(folder.Path());

    for (const FirefoxProfile* p : {&modern, &older}) {
        SCOPED_TRACE(p->profile.name);
        const bool isModern = p == &modern;
        const std::string places = p->Places();
        // The kept address's rows, and what stays beside the removed rows, byte for byte.
        std::vector<std::pair<std::string, std::string>> keptRows = {
            {places, "SELECT * FROM moz_places WHERE id = 2"},
            {places, "SELECT * FROM moz_historyvisits WHERE place_id = 2"},
            {places, "SELECT * FROM moz_annos WHERE id IN (4, 5)"},
            {p->ContentPrefs(), "SELECT * FROM prefs WHERE id IN (1, 4, 7, 8)"},
            {p->ContentPrefs(), "SELECT * FROM groups WHERE id IN (1, 5, 6)"}};
        if (isModern)
            keptRows.insert(keptRows.end(), {{places, "SELECT * FROM moz_origins WHERE id = 2"},
                                             {places, "SELECT * FROM moz_places_extra WHERE place_id = 2"},
                                             {places, "SELECT * FROM moz_historyvisits_extra WHERE visit_id = 4"},
                                             {places, "SELECT * FROM moz_newtab_shortcuts_interaction WHERE place_id = 2"}});
        std::vector<test::Texts> keptBefore;
        for (const auto& [db, query] : keptRows) keptBefore.push_back(test::QueryRows(db, query));

        const auto before = test::TakeFolder(folder.Path());
        session.run.live = false;
        const std::vector<StoreOutcome> preview = Clean(*p);
        EXPECT_TRUE(test::TakeFolder(folder.Path()) == before);
        session.run.live = true;
        const std::vector<StoreOutcome> outcomes = Clean(*p);
        ASSERT_EQ(outcomes.size(), 4u);
        EXPECT_EQ(test::Summary(preview), test::Summary(outcomes));
        EXPECT_EQ(test::Summary(outcomes),
                  (test::Texts{"places.sqlite|" + std::to_string(isModern ? kPlacesRowsModern : kPlacesRowsOlder) + "|",
                               "favicons.sqlite|" + std::to_string(kFaviconRowsRemoved) + "|",
                               "content-prefs.sqlite|" + std::to_string(kContentPrefRowsRemoved) + "|",
                               "history files|" + std::to_string(outcomes[3].rows) + "|"}));
        EXPECT_EQ(outcomes[0].unknown, isModern ? "left alone: moz_newer_feature" : "");
        for (std::size_t i = 0; i < keptRows.size(); ++i)
            EXPECT_EQ(test::QueryRows(keptRows[i].first, keptRows[i].second), keptBefore[i]) << keptRows[i].second;
        ASSERT_FALSE(keptBefore[0].empty());

        // The bookmarked places stay, also the one only Firefox's count names, with no
        // history; the kept one keeps its own.
        test::Texts placesLeft = {"1|https://bookmarked.example/page|0|none|0|0",
                                  "2|https://kept.example/account|2|1765000000000000|1|2000",
                                  "5|https://keyword.example/find?q=%s|0|none|0|0"};
        if (isModern) placesLeft.push_back("7|https://tagged.example/synced|0|none|0|0");
        EXPECT_EQ(test::QueryRows(places, "SELECT id, url, visit_count, IFNULL(last_visit_date, 'none'), typed,"
                                          " frecency FROM moz_places ORDER BY id"),
                  placesLeft);
        std::vector<std::pair<const char*, test::Texts>> left = {
            {"SELECT id, fk, title FROM moz_bookmarks ORDER BY id", {"1||", "2|1|My bookmark"}},
            {"SELECT place_id FROM moz_historyvisits", {"2", "2"}},
            {"SELECT place_id, input FROM moz_inputhistory", {"2|kep"}},
            // The bookmarked page's downloads went with the history, its other notes stayed.
            {"SELECT id FROM moz_annos ORDER BY id", {"4", "5"}},
            {"SELECT keyword, place_id FROM moz_keywords", {"kw|5"}}};
        if (isModern)
            left.insert(left.end(),
                        {{"SELECT host FROM moz_origins ORDER BY id",
                          {"bookmarked.example", "kept.example", "keyword.example", "tagged.example"}},
                         {"SELECT place_id FROM moz_places_metadata", {"2"}},
                         {"SELECT * FROM moz_places_metadata_search_queries", {}},
                         {"SELECT id, IFNULL(alt_frecency, 'null'), recalc_alt_frecency, recalc_frecency FROM moz_places"
                          " ORDER BY id",
                          {"1|null|1|1", "2|3000|0|0", "5|null|1|1", "7|null|1|1"}},
                         {"SELECT id, frecency, IFNULL(alt_frecency, 'null'), recalc_frecency, recalc_alt_frecency"
                          " FROM moz_origins ORDER BY id",
                          {"1|0|null|1|1", "2|40|9|0|0", "5|0|null|1|1", "6|0|null|1|1"}},
                         {"SELECT place_id FROM moz_newtab_shortcuts_interaction", {"2"}}});
        for (const auto& [query, rows] : left) EXPECT_EQ(test::QueryRows(places, query), rows) << query;
        // Sync data, new tab records and preview names of the pages not kept are found nowhere.
        for (const char* gone : {"secret-one.example", "swordf", "secret-two.example", "unbookmarked-neighbour",
                                 "xyzzy hidden", "bkmrk-typed", "bookmarked.pdf", "fileSize", "synced-away",
                                 "secret-phone", "t_health", "t_finance", "0f1e2d3c4b"})
            EXPECT_FALSE(test::DatabaseHolds(places, gone)) << gone;

        const std::string favicons = p->Favicons();
        EXPECT_EQ(test::QueryRows(favicons, "SELECT page_url FROM moz_pages_w_icons ORDER BY id"),
                  (test::Texts{"https://bookmarked.example/page", "https://kept.example/account"}));
        EXPECT_EQ(test::QueryRows(favicons, "SELECT page_id, icon_id FROM moz_icons_to_pages ORDER BY page_id"),
                  (test::Texts{"1|1", "4|5"}));
        EXPECT_EQ(test::QueryRows(favicons, "SELECT id FROM moz_icons ORDER BY id"), (test::Texts{"1", "4", "5"}));
        for (const char* gone : {"secret-one.example", "secret-two.example"})
            EXPECT_FALSE(test::DatabaseHolds(favicons, gone)) << gone;

        EXPECT_EQ(test::QueryRows(p->ContentPrefs(), "SELECT id FROM prefs ORDER BY id"),
                  (test::Texts{"1", "4", "7", "8"}));
        for (const char* gone : {"secret-one", "secret-two", "Swordfish Folder"})
            EXPECT_FALSE(test::DatabaseHolds(p->ContentPrefs(), gone)) << gone;

        for (const char* gone : kGoneFiles) EXPECT_FALSE(test::Exists(p->File(gone))) << gone;
        for (const char* gone : {"thumbnails\\a1b2.png", "jumpListCache\\x9.ico"})
            EXPECT_FALSE(test::Exists(p->Local(gone))) << gone;
        EXPECT_TRUE(test::Exists(p->File("sessionstore-backups")));
        EXPECT_TRUE(test::Exists(p->Local("thumbnails")));
        EXPECT_TRUE(test::Exists(p->Local("cache2\\entry")));
    }
    for (const FirefoxProfile* p : {&modern, &older})
        for (const char* file : kKeptFiles)
            EXPECT_TRUE(test::ReadFileBytes(p->File(file)) == start.at(p->File(file).substr(folder.Path().size() + 1)))
                << file;
}

TEST_F(FirefoxHistory, AnAbortedRunStopsBetweenStores)
{
    const FirefoxProfile p = MakeProfile("abc.default-release", true);
    const auto before = test::TakeFolder(folder.Path());
    session.run.live = true;
    session.run.abort = true;
    EXPECT_TRUE(Clean(p).empty());
    EXPECT_TRUE(test::TakeFolder(folder.Path()) == before);
}

TEST_F(FirefoxHistory, MissingDatabasesAreNotReported)
{
    FirefoxProfile p = MakeProfile("abc.default-release", true);
    for (const std::string& db : {p.Places(), p.Favicons(), p.ContentPrefs()}) ASSERT_TRUE(::DeleteFileA(db.c_str()));
    p.profile.localFolder = LongPath(folder.File("Local\\Profiles\\none"));
    session.run.live = true;
    const std::vector<StoreOutcome> outcomes = Clean(p);
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_EQ(outcomes[0].store, "history files");
    EXPECT_FALSE(test::Exists(p.File("sessionstore.jsonlz4")));
}

// Each bad places.sqlite is left as it was, and favicons.sqlite with it, since which pages
// are bookmarked is not known.
TEST_F(FirefoxHistory, LockedCorruptAndUnknownDatabasesStayAsTheyWere)
{
    const auto ExpectLeftAlone = [&](const FirefoxProfile& p, const std::string& problem, bool hold) {
        const auto clean = [&](bool live) {
            session.run.live = live;
            return Clean(p);
        };
        test::ExpectStoreLeftAlone({p.Places(), p.Favicons()}, hold, "places.sqlite", problem, clean,
                                   [](const std::vector<StoreOutcome>& outcomes) {
                                       const StoreOutcome* favicons = test::FindStore(outcomes, "favicons.sqlite");
                                       ASSERT_NE(favicons, nullptr);
                                       EXPECT_EQ(favicons->problem,
                                                 "left as it was: the bookmarks in places.sqlite could not be read");
                                   });
    };
    ExpectLeftAlone(MakeProfile("locked", true), "another program has the file open for itself; close it and try again",
                    true);
    {
        SCOPED_TRACE("corrupt");
        const FirefoxProfile p = MakeProfile("corrupt", true);
        std::string bytes = test::ReadFileBytes(p.Places());
        ASSERT_GT(bytes.size(), 8192u);
        // The first page stays readable; the rest of the file is overwritten.
        for (std::size_t i = 4096; i < bytes.size(); ++i) bytes[i] = static_cast<char>(0xA5);
        test::WriteFileBytes(p.Places(), bytes);
        ExpectLeftAlone(p, "damaged", false);
    }
    {
        SCOPED_TRACE("unknown layout");
        const FirefoxProfile p = MakeProfile("unknown", true);
        test::CreateDatabase(p.Places(),
                             "CREATE TABLE moz_places (id INTEGER PRIMARY KEY, address TEXT, visit_count INTEGER,"
                             " last_visit_date INTEGER, frecency INTEGER);"
                             "CREATE TABLE moz_historyvisits (id INTEGER PRIMARY KEY, place_id INTEGER);"
                             "CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, fk INTEGER);"
                             "INSERT INTO moz_places VALUES (1, 'https://secret.example/', 1, 1, 1);"
                             "INSERT INTO moz_historyvisits VALUES (1, 1);",
                             true);
        ExpectLeftAlone(p, "unknown layout: table moz_places has no column url", false);
    }
}

TEST_F(FirefoxHistory, ContentPrefsThatCannotBeReadStayAsTheyWere)
{
    const FirefoxProfile p = MakeProfile("prefs", true);
    test::ExpectBadDatabasesLeftAlone(session.run, p.ContentPrefs(), "content-prefs.sqlite", "groups",
                                      [&](bool) { return Clean(p); });
}
