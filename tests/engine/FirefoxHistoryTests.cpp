#include "engine/BrowserHistory.h"
#include "platform/LongPath.h"

#include "support/SqliteFiles.h"
#include "support/TestSupport.h"

#include <sqlite3.h>

#include <map>

using namespace sweepora;

namespace {

// Firefox's own tables and columns; `modern` adds what later versions brought (origins,
// page metadata, recalculation flags), the older layout lacks them.
std::string PlacesSchema(bool modern)
{
    std::string sql =
        "CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR, rev_host LONGVARCHAR,"
        " visit_count INTEGER DEFAULT 0, hidden INTEGER DEFAULT 0 NOT NULL, typed INTEGER DEFAULT 0 NOT NULL,"
        " frecency INTEGER DEFAULT -1 NOT NULL, last_visit_date INTEGER, guid TEXT,"
        " foreign_count INTEGER DEFAULT 0 NOT NULL, url_hash INTEGER DEFAULT 0 NOT NULL, description TEXT,"
        " preview_image_url TEXT";
    sql += modern ? ", site_name TEXT, origin_id INTEGER REFERENCES moz_origins(id),"
                    " recalc_frecency INTEGER NOT NULL DEFAULT 0, alt_frecency INTEGER,"
                    " recalc_alt_frecency INTEGER NOT NULL DEFAULT 0);"
                  : ");";
    sql += "CREATE TABLE moz_historyvisits (id INTEGER PRIMARY KEY, from_visit INTEGER, place_id INTEGER,"
           " visit_date INTEGER, visit_type INTEGER, session INTEGER, source INTEGER DEFAULT 0 NOT NULL,"
           " triggeringPlaceId INTEGER);"
           "CREATE TABLE moz_inputhistory (place_id INTEGER NOT NULL, input LONGVARCHAR NOT NULL,"
           " use_count INTEGER, PRIMARY KEY (place_id, input));"
           "CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER DEFAULT NULL,"
           " parent INTEGER, position INTEGER, title LONGVARCHAR, keyword_id INTEGER, folder_type TEXT,"
           " dateAdded INTEGER, lastModified INTEGER, guid TEXT, syncStatus INTEGER NOT NULL DEFAULT 0,"
           " syncChangeCounter INTEGER NOT NULL DEFAULT 1);"
           "CREATE TABLE moz_bookmarks_deleted (guid TEXT PRIMARY KEY, dateRemoved INTEGER NOT NULL DEFAULT 0);"
           "CREATE TABLE moz_keywords (id INTEGER PRIMARY KEY AUTOINCREMENT, keyword TEXT UNIQUE, place_id INTEGER,"
           " post_data TEXT);"
           "CREATE TABLE moz_anno_attributes (id INTEGER PRIMARY KEY, name VARCHAR(32) UNIQUE NOT NULL);"
           "CREATE TABLE moz_annos (id INTEGER PRIMARY KEY, place_id INTEGER NOT NULL, anno_attribute_id INTEGER,"
           " content LONGVARCHAR, flags INTEGER DEFAULT 0, expiration INTEGER DEFAULT 0, type INTEGER DEFAULT 0,"
           " dateAdded INTEGER DEFAULT 0, lastModified INTEGER DEFAULT 0);"
           "CREATE TABLE moz_items_annos (id INTEGER PRIMARY KEY, item_id INTEGER NOT NULL,"
           " anno_attribute_id INTEGER, content LONGVARCHAR, flags INTEGER DEFAULT 0,"
           " expiration INTEGER DEFAULT 0, type INTEGER DEFAULT 0, dateAdded INTEGER DEFAULT 0,"
           " lastModified INTEGER DEFAULT 0);"
           "CREATE TABLE moz_meta (key TEXT PRIMARY KEY, value NOT NULL) WITHOUT ROWID;"
           "CREATE INDEX moz_places_url_hashindex ON moz_places (url_hash);"
           "CREATE INDEX moz_historyvisits_placedateindex ON moz_historyvisits (place_id, visit_date);";
    if (modern)
        sql += "CREATE TABLE moz_origins (id INTEGER PRIMARY KEY, prefix TEXT NOT NULL, host TEXT NOT NULL,"
               " frecency INTEGER NOT NULL, recalc_frecency INTEGER NOT NULL DEFAULT 0, alt_frecency INTEGER,"
               " recalc_alt_frecency INTEGER NOT NULL DEFAULT 0, UNIQUE (prefix, host));"
               "CREATE TABLE moz_places_metadata (id INTEGER PRIMARY KEY, place_id INTEGER NOT NULL,"
               " referrer_place_id INTEGER, created_at INTEGER NOT NULL DEFAULT 0,"
               " updated_at INTEGER NOT NULL DEFAULT 0, total_view_time INTEGER NOT NULL DEFAULT 0,"
               " typing_time INTEGER NOT NULL DEFAULT 0, key_presses INTEGER NOT NULL DEFAULT 0,"
               " scrolling_time INTEGER NOT NULL DEFAULT 0, scrolling_distance INTEGER NOT NULL DEFAULT 0,"
               " document_type INTEGER NOT NULL DEFAULT 0, search_query_id INTEGER);"
               "CREATE TABLE moz_places_metadata_search_queries (id INTEGER PRIMARY KEY, terms TEXT NOT NULL UNIQUE);"
               "CREATE TABLE moz_previews_tombstones (hash TEXT PRIMARY KEY) WITHOUT ROWID;";
    return sql;
}

// 1 bookmarked, 2 kept, 3 and 4 private, 5 has a keyword, 6 is another page of the
// bookmarked site. Visits: 3, 2, 2, 1, 1, 1.
std::string PlacesRows(bool modern)
{
    const auto place = [&](int id, const std::string& url, int visits, int origin) {
        return "INSERT INTO moz_places (id, url, title, rev_host, visit_count, typed, frecency, last_visit_date,"
               " guid, url_hash" +
               std::string(modern ? ", origin_id" : "") + ") VALUES (" + std::to_string(id) + ", '" + url +
               "', 'title " + std::to_string(id) + "', 'elpmaxe.', " + std::to_string(visits) + ", 1, 2000, " +
               "1765000000000000, 'guid" + std::to_string(id) + "', " + std::to_string(id * 7) +
               (modern ? ", " + std::to_string(origin) : std::string()) + ");";
    };
    std::string sql = place(1, "https://bookmarked.example/page", 3, 1) +
                      place(2, "https://kept.example/account", 2, 2) +
                      place(3, "https://secret-one.example/private?q=swordfish", 2, 3) +
                      place(4, "https://secret-two.example/diary", 1, 4) +
                      place(5, "https://keyword.example/find?q=%s", 1, 5) +
                      place(6, "https://bookmarked.example/unbookmarked-neighbour", 1, 1);
    int visit = 0;
    for (const auto& [placeId, count] : std::vector<std::pair<int, int>>{{1, 3}, {2, 2}, {3, 2}, {4, 1}, {5, 1}, {6, 1}})
        for (int i = 0; i < count; ++i) {
            ++visit;
            sql += "INSERT INTO moz_historyvisits (id, from_visit, place_id, visit_date, visit_type, session)"
                   " VALUES (" + std::to_string(visit) + ", 0, " + std::to_string(placeId) + ", " +
                   std::to_string(1765000000000000LL + visit) + ", 1, 0);";
        }
    sql += "INSERT INTO moz_bookmarks (id, type, fk, parent, position, title, guid) VALUES"
           " (1, 2, NULL, 0, 0, '', 'root________'), (2, 1, 1, 1, 0, 'My bookmark', 'bookmarkguid');"
           "INSERT INTO moz_keywords (id, keyword, place_id) VALUES (1, 'kw', 5);"
           "INSERT INTO moz_inputhistory VALUES (1, 'bkmrk-typed', 1), (2, 'kep', 1), (3, 'swordf', 2);"
           "INSERT INTO moz_anno_attributes VALUES (1, 'downloads/destinationFileURI');"
           "INSERT INTO moz_annos (id, place_id, anno_attribute_id, content) VALUES"
           " (1, 3, 1, 'file:///C:/Users/me/Downloads/swordfish-plans.pdf'), (2, 1, 1, 'file:///C:/bookmarked.pdf');"
           "INSERT INTO moz_meta VALUES ('origin_frecency_count', 5);";
    if (modern)
        sql += "INSERT INTO moz_origins (id, prefix, host, frecency) VALUES (1, 'https://', 'bookmarked.example', 1),"
               " (2, 'https://', 'kept.example', 1), (3, 'https://', 'secret-one.example', 1),"
               " (4, 'https://', 'secret-two.example', 1), (5, 'https://', 'keyword.example', 1);"
               "INSERT INTO moz_places_metadata_search_queries VALUES (1, 'xyzzy hidden terms');"
               "INSERT INTO moz_places_metadata (id, place_id, referrer_place_id, search_query_id) VALUES"
               " (1, 3, NULL, 1), (2, 2, NULL, NULL);"
               "CREATE TABLE moz_newer_feature (id INTEGER PRIMARY KEY, note TEXT);";
    return sql;
}

// Removed: visits 3+2+1+1+1, input 2, annos 1, places 3, and in the modern layout
// metadata 1, search queries 1, origins 2.
constexpr std::int64_t kPlacesRowsModern = 8 + 2 + 1 + 3 + 1 + 1 + 2;
constexpr std::int64_t kPlacesRowsOlder = 8 + 2 + 1 + 3;

const char kFavicons[] =
    "CREATE TABLE moz_icons (id INTEGER PRIMARY KEY, icon_url TEXT NOT NULL, fixed_icon_url_hash INTEGER NOT NULL,"
    " width INTEGER NOT NULL DEFAULT 0, root INTEGER NOT NULL DEFAULT 0, color INTEGER,"
    " expire_ms INTEGER NOT NULL DEFAULT 0, data BLOB);"
    "CREATE TABLE moz_pages_w_icons (id INTEGER PRIMARY KEY, page_url TEXT NOT NULL, page_url_hash INTEGER NOT NULL);"
    "CREATE TABLE moz_icons_to_pages (page_id INTEGER NOT NULL, icon_id INTEGER NOT NULL,"
    " expire_ms INTEGER NOT NULL DEFAULT 0, PRIMARY KEY (page_id, icon_id)) WITHOUT ROWID;"
    "INSERT INTO moz_icons (id, icon_url, fixed_icon_url_hash, root, data) VALUES"
    " (1, 'https://bookmarked.example/icon.png', 1, 0, x'89504e47'),"
    " (2, 'https://secret-one.example/favicon.ico', 2, 1, x'00000100'),"
    " (3, 'https://secret-two.example/logo.png', 3, 0, x'89504e47'),"
    " (4, 'https://bookmarked.example/favicon.ico', 4, 1, x'00000100'),"
    " (5, 'https://kept.example/k.png', 5, 0, x'89504e47');"
    "INSERT INTO moz_pages_w_icons VALUES (1, 'https://bookmarked.example/page', 11),"
    " (2, 'https://secret-one.example/private?q=swordfish', 12), (3, 'https://secret-two.example/diary', 13),"
    " (4, 'https://kept.example/account', 14);"
    "INSERT INTO moz_icons_to_pages (page_id, icon_id) VALUES (1, 1), (3, 3), (4, 5);";
// Pages 2 and 3, the mapping of page 3, icons 2 and 3.
constexpr std::int64_t kFaviconRows = 5;

bool MakeFolders(const std::string& path)
{
    for (std::size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
        ::CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
    return ::CreateDirectoryA(path.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS;
}

bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

struct FirefoxProfile {
    std::string roaming, local;
    BrowserProfile profile;

    std::string File(const std::string& name) const { return roaming + "\\" + name; }
    std::string Local(const std::string& name) const { return local + "\\" + name; }
    std::string Places() const { return File("places.sqlite"); }
    std::string Favicons() const { return File("favicons.sqlite"); }
};

struct FirefoxHistory : test::SessionFixture {
    const KeptAddress kept = [](const std::string& url) { return url.rfind("https://kept.example/", 0) == 0; };

    FirefoxProfile MakeProfile(const std::string& name, bool modern)
    {
        FirefoxProfile p;
        p.roaming = folder.File("Roaming\\Profiles\\" + name);
        p.local = folder.File("Local\\Profiles\\" + name);
        for (const std::string& f : {p.roaming + "\\sessionstore-backups", p.roaming + "\\bookmarkbackups",
                                     p.local + "\\thumbnails", p.local + "\\jumpListCache", p.local + "\\cache2"})
            EXPECT_TRUE(MakeFolders(f)) << f;
        test::CreateDatabase(p.Places(), PlacesSchema(modern) + PlacesRows(modern), true);
        test::CreateDatabase(p.Favicons(), kFavicons, true);
        for (const char* file : {"sessionstore.jsonlz4", "sessionstore-backups\\recovery.jsonlz4",
                                 "sessionstore-backups\\previous.jsonlz4", "SiteSecurityServiceState.txt",
                                 "AlternateServices.txt", "logins.json", "cookies.sqlite", "key4.db", "cert9.db",
                                 "permissions.sqlite", "formhistory.sqlite", "bookmarkbackups\\bookmarks-2026.jsonlz4"})
            test::WriteFileBytes(p.File(file), std::string("contents of ") + file);
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

    // Every file under the test folder with its bytes, -wal and -shm files included.
    std::map<std::string, std::string> Snapshot(const std::string& root)
    {
        std::map<std::string, std::string> files;
        WIN32_FIND_DATAA found{};
        const HANDLE find = ::FindFirstFileA((root + "\\*").c_str(), &found);
        if (find == INVALID_HANDLE_VALUE) return files;
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = root + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                files[path + "\\"] = "";
                for (auto& entry : Snapshot(path)) files.insert(entry);
            } else {
                files[path] = test::ReadFileBytes(path);
            }
        } while (::FindNextFileA(find, &found));
        ::FindClose(find);
        return files;
    }
};

// The paths whose presence or bytes differ, so that a failure names files, not bytes.
test::Texts Differences(const std::map<std::string, std::string>& before,
                        const std::map<std::string, std::string>& after)
{
    test::Texts paths;
    for (const auto& [path, bytes] : before)
        if (!after.count(path) || after.at(path) != bytes) paths.push_back(path);
    for (const auto& [path, bytes] : after)
        if (!before.count(path)) paths.push_back(path + " (new)");
    return paths;
}

const StoreOutcome* Find(const std::vector<StoreOutcome>& outcomes, const std::string& store)
{
    for (const StoreOutcome& outcome : outcomes)
        if (outcome.store == store) return &outcome;
    return nullptr;
}

} // namespace

TEST_F(FirefoxHistory, LiveRunKeepsBookmarksAndKeptAddressesAndErasesTheRest)
{
    const FirefoxProfile modern = MakeProfile("abc.default-release", true);
    const FirefoxProfile older = MakeProfile("xyz.default", false);
    std::map<std::string, std::string> untouched;
    for (const FirefoxProfile* p : {&modern, &older})
        for (const char* file : {"logins.json", "cookies.sqlite", "key4.db", "cert9.db", "permissions.sqlite",
                                 "formhistory.sqlite", "bookmarkbackups\\bookmarks-2026.jsonlz4"})
            untouched[p->File(file)] = test::ReadFileBytes(p->File(file));

    session.run.live = true;
    for (const FirefoxProfile* p : {&modern, &older}) {
        SCOPED_TRACE(p->profile.name);
        const bool isModern = p == &modern;
        const std::vector<StoreOutcome> outcomes = Clean(*p);
        ASSERT_EQ(outcomes.size(), 3u);
        EXPECT_EQ(outcomes[0].store, "places.sqlite");
        EXPECT_EQ(outcomes[0].problem, "");
        EXPECT_EQ(outcomes[0].rows, isModern ? kPlacesRowsModern : kPlacesRowsOlder);
        EXPECT_EQ(outcomes[0].unknown, isModern ? "moz_newer_feature" : "");
        EXPECT_EQ(outcomes[1].store, "favicons.sqlite");
        EXPECT_EQ(outcomes[1].problem, "");
        EXPECT_EQ(outcomes[1].rows, kFaviconRows);
        EXPECT_EQ(outcomes[2].store, "history files");
        EXPECT_EQ(outcomes[2].problem, "");

        const std::string places = p->Places();
        // The bookmarked page stays with its bookmark but no history; the kept one keeps its own.
        EXPECT_EQ(test::QueryRows(places, "SELECT id, url, visit_count, IFNULL(last_visit_date, 'none'), typed,"
                                          " frecency FROM moz_places ORDER BY id"),
                  (test::Texts{"1|https://bookmarked.example/page|0|none|0|0",
                               "2|https://kept.example/account|2|1765000000000000|1|2000",
                               "5|https://keyword.example/find?q=%s|0|none|0|0"}));
        EXPECT_EQ(test::QueryRows(places, "SELECT id, fk, title FROM moz_bookmarks ORDER BY id"),
                  (test::Texts{"1||", "2|1|My bookmark"}));
        EXPECT_EQ(test::QueryRows(places, "SELECT place_id FROM moz_historyvisits"), (test::Texts{"2", "2"}));
        EXPECT_EQ(test::QueryRows(places, "SELECT place_id, input FROM moz_inputhistory"), (test::Texts{"2|kep"}));
        EXPECT_EQ(test::QueryRows(places, "SELECT place_id FROM moz_annos"), (test::Texts{"1"}));
        EXPECT_EQ(test::QueryRows(places, "SELECT keyword, place_id FROM moz_keywords"), (test::Texts{"kw|5"}));
        if (isModern) {
            EXPECT_EQ(test::QueryRows(places, "SELECT host FROM moz_origins ORDER BY id"),
                      (test::Texts{"bookmarked.example", "kept.example", "keyword.example"}));
            EXPECT_EQ(test::QueryRows(places, "SELECT place_id FROM moz_places_metadata"), (test::Texts{"2"}));
            EXPECT_TRUE(test::QueryRows(places, "SELECT * FROM moz_places_metadata_search_queries").empty());
            EXPECT_EQ(test::QueryRows(places, "SELECT recalc_frecency FROM moz_places WHERE id = 1"),
                      (test::Texts{"1"}));
        }
        for (const char* gone : {"secret-one.example", "swordf", "secret-two.example", "unbookmarked-neighbour",
                                 "xyzzy hidden", "bkmrk-typed"})
            EXPECT_FALSE(test::DatabaseHolds(places, gone)) << gone;
        EXPECT_TRUE(test::DatabaseHolds(places, "https://bookmarked.example/page"));
        EXPECT_TRUE(test::DatabaseHolds(places, "My bookmark"));

        const std::string favicons = p->Favicons();
        EXPECT_EQ(test::QueryRows(favicons, "SELECT page_url FROM moz_pages_w_icons ORDER BY id"),
                  (test::Texts{"https://bookmarked.example/page", "https://kept.example/account"}));
        EXPECT_EQ(test::QueryRows(favicons, "SELECT page_id, icon_id FROM moz_icons_to_pages ORDER BY page_id"),
                  (test::Texts{"1|1", "4|5"}));
        EXPECT_EQ(test::QueryRows(favicons, "SELECT id FROM moz_icons ORDER BY id"), (test::Texts{"1", "4", "5"}));
        for (const char* gone : {"secret-one.example", "secret-two.example"})
            EXPECT_FALSE(test::DatabaseHolds(favicons, gone)) << gone;

        for (const char* gone : {"sessionstore.jsonlz4", "sessionstore-backups\\recovery.jsonlz4",
                                 "sessionstore-backups\\previous.jsonlz4", "SiteSecurityServiceState.txt",
                                 "AlternateServices.txt"})
            EXPECT_FALSE(Exists(p->File(gone))) << gone;
        EXPECT_TRUE(Exists(p->File("sessionstore-backups")));
        EXPECT_FALSE(Exists(p->Local("thumbnails\\a1b2.png")));
        EXPECT_FALSE(Exists(p->Local("jumpListCache\\x9.ico")));
        EXPECT_TRUE(Exists(p->Local("thumbnails")));
        EXPECT_TRUE(Exists(p->Local("cache2\\entry")));
    }
    for (const auto& [path, bytes] : untouched) EXPECT_TRUE(test::ReadFileBytes(path) == bytes) << path;
}

TEST_F(FirefoxHistory, TestRunCountsWhatTheLiveRunRemovesAndChangesNothing)
{
    const FirefoxProfile p = MakeProfile("abc.default-release", true);
    const auto before = Snapshot(folder.Path());

    const std::vector<StoreOutcome> preview = Clean(p);
    EXPECT_EQ(Differences(before, Snapshot(folder.Path())), test::Texts{});

    session.run.live = true;
    const std::vector<StoreOutcome> live = Clean(p);
    ASSERT_EQ(preview.size(), 3u);
    ASSERT_EQ(live.size(), 3u);
    for (std::size_t i = 0; i < live.size(); ++i) {
        EXPECT_EQ(preview[i].store, live[i].store);
        EXPECT_EQ(preview[i].rows, live[i].rows) << live[i].store;
        EXPECT_EQ(preview[i].problem, live[i].problem) << live[i].store;
    }
    EXPECT_EQ(live[0].rows, kPlacesRowsModern);
    EXPECT_FALSE(Differences(before, Snapshot(folder.Path())).empty());
}

TEST_F(FirefoxHistory, AnAbortedRunStopsBetweenStores)
{
    const FirefoxProfile p = MakeProfile("abc.default-release", true);
    const auto before = Snapshot(folder.Path());
    session.run.live = true;
    session.run.abort = true;
    EXPECT_TRUE(Clean(p).empty());
    EXPECT_EQ(Differences(before, Snapshot(folder.Path())), test::Texts{});
}

TEST_F(FirefoxHistory, MissingDatabasesAreNotReported)
{
    FirefoxProfile p = MakeProfile("abc.default-release", true);
    for (const std::string& db : {p.Places(), p.Favicons()}) ASSERT_TRUE(::DeleteFileA(db.c_str()));
    p.profile.localFolder = LongPath(folder.File("Local\\Profiles\\none"));
    session.run.live = true;
    const std::vector<StoreOutcome> outcomes = Clean(p);
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_EQ(outcomes[0].store, "history files");
    EXPECT_FALSE(Exists(p.File("sessionstore.jsonlz4")));
}

// Each bad places.sqlite is left as it was, and favicons.sqlite with it, since which pages
// are bookmarked is not known.
struct FirefoxBadPlaces : FirefoxHistory {
    void ExpectLeftAlone(const FirefoxProfile& p, const std::string& problem)
    {
        std::map<std::string, std::string> before;
        for (const std::string& db : {p.Places(), p.Favicons()})
            for (const char* suffix : {"", "-wal", "-journal", "-shm"})
                if (Exists(db + suffix)) before[db + suffix] = test::ReadFileBytes(db + suffix);
        for (bool live : {false, true}) {
            SCOPED_TRACE(live ? "live" : "test run");
            session.run.live = live;
            const std::vector<StoreOutcome> outcomes = Clean(p);
            const StoreOutcome* places = Find(outcomes, "places.sqlite");
            const StoreOutcome* favicons = Find(outcomes, "favicons.sqlite");
            ASSERT_TRUE(places && favicons);
            EXPECT_NE(places->problem.find(problem), std::string::npos) << places->problem;
            EXPECT_EQ(places->rows, 0);
            EXPECT_EQ(favicons->problem, "left as it was: the bookmarks in places.sqlite could not be read");
            std::map<std::string, std::string> after;
            for (const std::string& db : {p.Places(), p.Favicons()})
                for (const char* suffix : {"", "-wal", "-journal", "-shm"})
                    if (Exists(db + suffix)) after[db + suffix] = test::ReadFileBytes(db + suffix);
            EXPECT_EQ(Differences(before, after), test::Texts{});
        }
    }
};

TEST_F(FirefoxBadPlaces, LockedCorruptUnknownAndUnfinishedDatabasesStayAsTheyWere)
{
    {
        SCOPED_TRACE("locked");
        const FirefoxProfile p = MakeProfile("locked", true);
        const std::string places = test::ReadFileBytes(p.Places()), favicons = test::ReadFileBytes(p.Favicons());
        // No sharing at all, as Firefox holds its databases.
        const HANDLE held = ::CreateFileA(p.Places().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        session.run.live = true;
        const std::vector<StoreOutcome> outcomes = Clean(p);
        ::CloseHandle(held);
        ASSERT_TRUE(Find(outcomes, "places.sqlite") && Find(outcomes, "favicons.sqlite"));
        EXPECT_EQ(Find(outcomes, "places.sqlite")->problem,
                  "another program has the file open for itself; close it and try again");
        EXPECT_EQ(Find(outcomes, "favicons.sqlite")->problem,
                  "left as it was: the bookmarks in places.sqlite could not be read");
        EXPECT_TRUE(test::ReadFileBytes(p.Places()) == places);
        EXPECT_TRUE(test::ReadFileBytes(p.Favicons()) == favicons);
        EXPECT_FALSE(Exists(p.Places() + "-wal"));
    }
    {
        SCOPED_TRACE("corrupt");
        const FirefoxProfile p = MakeProfile("corrupt", true);
        std::string bytes = test::ReadFileBytes(p.Places());
        ASSERT_GT(bytes.size(), 8192u);
        // The first page stays readable; the rest of the file is overwritten.
        for (std::size_t i = 4096; i < bytes.size(); ++i) bytes[i] = static_cast<char>(0xA5);
        test::WriteFileBytes(p.Places(), bytes);
        ExpectLeftAlone(p, "damaged");
    }
    {
        SCOPED_TRACE("not a database");
        const FirefoxProfile p = MakeProfile("garbage", true);
        test::WriteFileBytes(p.Places(), std::string(8192, 'g'));
        ExpectLeftAlone(p, "the file is not an SQLite database");
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
        ExpectLeftAlone(p, "unknown layout: table moz_places has no column url");
    }
    {
        SCOPED_TRACE("unfinished write-ahead log");
        const FirefoxProfile p = MakeProfile("unfinished", true);
        // A transaction too large for the cache spills its pages into the log before it
        // commits; the log as it is then is what a browser stopped mid-write leaves.
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(p.Places().c_str(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db,
                               "PRAGMA cache_size=2; BEGIN; WITH RECURSIVE n(x) AS (SELECT 100 UNION ALL SELECT x+1"
                               " FROM n WHERE x < 400) INSERT INTO moz_places (id, url) SELECT x,"
                               " 'https://unfinished.example/' || x || hex(zeroblob(300)) FROM n;",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
        const std::string wal = test::ReadFileBytes(p.Places() + "-wal");
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        ASSERT_NE(wal.find("unfinished.example"), std::string::npos);
        test::WriteFileBytes(p.Places() + "-wal", wal);
        ExpectLeftAlone(p, "the write-ahead log places.sqlite-wal holds an unfinished transaction; start and close "
                           "Firefox, then clean again");
    }
}
