#include "engine/BrowserHistory.h"

#include "erasure/FileEraser.h"
#include "erasure/FolderWalk.h"
#include "platform/LongPath.h"
#include "platform/SqliteDatabase.h"

#include <windows.h>

#include <map>
#include <set>

namespace sweepora {

namespace {

// A test run does the live run's edit and has it rolled back by failing with this reason,
// so that its counts are the live run's by construction.
const char kTestRunRollback[] = "test run: rolled back";

struct TableNeeds {
    const char* table;
    std::vector<const char*> columns;
    bool required;
};

std::string Join(const std::vector<std::string>& parts)
{
    std::string joined;
    for (const std::string& part : parts) joined += (joined.empty() ? "" : ", ") + part;
    return joined;
}

// Which of `needs` exist (with their columns), and the tables nobody here knows. Returns
// the layout problem, empty when every needed table and column is there.
std::string ReadLayout(SqliteDatabase& db, const std::vector<TableNeeds>& needs, const std::set<std::string>& known,
                       std::map<std::string, std::vector<std::string>>& present, std::string& unknown,
                       SqlOutcome& failure)
{
    std::vector<std::string> strangers;
    SqliteStatement tables;
    if (!(failure = db.Prepare("SELECT name FROM sqlite_schema WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' "
                               "ESCAPE '\\' ORDER BY name",
                               tables)))
        return {};
    while (tables.Next()) {
        const std::string name = tables.Text(0);
        if (!known.count(name)) strangers.push_back(name);
    }
    if (!(failure = tables.Status())) return {};
    unknown = Join(strangers);

    for (const TableNeeds& need : needs) {
        bool exists = false;
        if (!(failure = db.TableExists(need.table, exists))) return {};
        if (!exists) {
            if (need.required) return std::string("unknown layout: no table ") + need.table;
            continue;
        }
        std::vector<std::string>& columns = present[need.table];
        if (!(failure = db.Columns(need.table, columns))) return {};
        for (const char* column : need.columns) {
            bool found = false;
            for (const std::string& have : columns) found = found || have == column;
            if (!found) return std::string("unknown layout: table ") + need.table + " has no column " + column;
        }
    }
    return {};
}

bool Has(const std::map<std::string, std::vector<std::string>>& present, const std::string& table,
         const char* column = nullptr)
{
    const auto found = present.find(table);
    if (found == present.end()) return false;
    if (!column) return true;
    for (const std::string& have : found->second)
        if (have == column) return true;
    return false;
}

std::uint32_t BigEndian(const std::string& bytes, std::size_t at)
{
    return (std::uint32_t(std::uint8_t(bytes[at])) << 24) | (std::uint32_t(std::uint8_t(bytes[at + 1])) << 16) |
           (std::uint32_t(std::uint8_t(bytes[at + 2])) << 8) | std::uint32_t(std::uint8_t(bytes[at + 3]));
}

// True when the write-ahead log ends in frames of a transaction that never committed (the
// browser stopped mid-write). Opening the database would throw them away, and with them the
// evidence of what was there, so such a file is left for the browser to recover.
bool UnfinishedLog(const std::wstring& database)
{
    const HANDLE file = ::CreateFileW((database + L"-wal").c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    ::CloseHandle(file);

    if (bytes.size() < 32) return false;
    const std::uint32_t magic = BigEndian(bytes, 0);
    if (magic != 0x377f0682 && magic != 0x377f0683) return false;
    const std::size_t pageSize = BigEndian(bytes, 8);
    if (pageSize < 512 || pageSize > 65536) return false;
    const std::uint32_t salt1 = BigEndian(bytes, 16), salt2 = BigEndian(bytes, 20);
    bool pending = false;
    for (std::size_t at = 32; at + 24 + pageSize <= bytes.size(); at += 24 + pageSize) {
        // Frames of an older generation carry other salts: the log's valid part ends there.
        if (BigEndian(bytes, at + 8) != salt1 || BigEndian(bytes, at + 12) != salt2) break;
        pending = BigEndian(bytes, at + 4) == 0;
    }
    return pending;
}

// "https://host:port" of an address; the whole text when it has no "://".
std::string OriginOf(const std::string& url)
{
    const std::size_t scheme = url.find("://");
    if (scheme == std::string::npos) return url;
    return url.substr(0, url.find('/', scheme + 3));
}

struct Store {
    SqliteDatabase db;
    std::map<std::string, std::vector<std::string>> present;
};

// Opens the database and checks its layout; false (with the outcome's problem set, or with
// nothing to report for a missing file) when it is to be left alone.
bool OpenStore(const std::wstring& path, const std::string& name, const std::vector<TableNeeds>& needs,
               const std::set<std::string>& known, Store& store, StoreOutcome& outcome, bool& missing)
{
    missing = false;
    if (UnfinishedLog(path)) {
        outcome.problem = "the write-ahead log " + name +
                          "-wal holds an unfinished transaction; start and close Firefox, then clean again";
        return false;
    }
    SqlOutcome opened = store.db.Open(path);
    if (opened.problem == SqlProblem::Missing) {
        missing = true;
        return false;
    }
    if (!opened) {
        outcome.problem = opened.reason;
        return false;
    }
    SqlOutcome failure;
    const std::string layout = ReadLayout(store.db, needs, known, store.present, outcome.unknown, failure);
    if (!failure) outcome.problem = failure.reason;
    else if (!layout.empty())
        outcome.problem = layout;
    if (!outcome.problem.empty()) {
        store.db.Close();
        return false;
    }
    return true;
}

// Runs `edit` in one transaction; a test run rolls it back after it has counted.
void RunEdit(EraseContext& context, Store& store, StoreOutcome& outcome,
             const std::function<SqlOutcome(SqliteDatabase&, std::int64_t&)>& edit)
{
    std::int64_t rows = 0;
    bool counted = false;
    const SqlOutcome done = store.db.Edit([&](SqliteDatabase& db) -> SqlOutcome {
        rows = 0;
        SqlOutcome ok = edit(db, rows);
        if (!ok) return ok;
        counted = true;
        return context.run.live ? SqlOutcome{} : SqlOutcome::Fail(SqlProblem::Failed, kTestRunRollback);
    });
    store.db.Close();
    if (done || (!context.run.live && counted && done.reason == kTestRunRollback)) outcome.rows = rows;
    else {
        outcome.problem = done.reason;
        outcome.edited = done.problem == SqlProblem::Unscrubbed;
    }
}

// Runs one statement and adds the rows it deleted.
SqlOutcome Delete(SqliteDatabase& db, const std::string& sql, std::int64_t& rows)
{
    SqlOutcome ok = db.Exec(sql);
    if (ok) rows += db.Changes();
    return ok;
}

const std::set<std::string>& KnownPlacesTables()
{
    static const std::set<std::string> known = {
        "moz_places", "moz_historyvisits", "moz_bookmarks", "moz_inputhistory", "moz_annos",
        "moz_anno_attributes", "moz_items_annos", "moz_keywords", "moz_origins", "moz_places_metadata",
        "moz_places_metadata_search_queries", "moz_meta", "moz_bookmarks_deleted", "moz_previews_tombstones",
        "moz_places_extra", "moz_historyvisits_extra"};
    return known;
}

// Reads the addresses bookmarks point at, then deletes the history as described in the
// header. `bookmarked` is filled before anything is deleted.
SqlOutcome CleanPlaces(SqliteDatabase& db, const Store& store, const KeptAddress& kept,
                       std::set<std::string>& bookmarked, std::int64_t& rows)
{
    const auto& present = store.present;
    bookmarked.clear();
    SqliteStatement marks;
    if (SqlOutcome ok = db.Prepare("SELECT url FROM moz_places WHERE url IS NOT NULL AND id IN "
                                   "(SELECT fk FROM moz_bookmarks WHERE fk IS NOT NULL)",
                                   marks);
        !ok)
        return ok;
    while (marks.Next()) bookmarked.insert(marks.Text(0));
    if (!marks.Status()) return marks.Status();

    // Temporary tables live outside the file and hold only row ids.
    if (SqlOutcome ok = db.Exec("CREATE TEMP TABLE sweepora_kept(id INTEGER PRIMARY KEY);"
                                "CREATE TEMP TABLE sweepora_gone(id INTEGER PRIMARY KEY)");
        !ok)
        return ok;
    {
        SqliteStatement places, keep;
        if (SqlOutcome ok = db.Prepare("SELECT id, url FROM moz_places WHERE url IS NOT NULL", places); !ok)
            return ok;
        if (SqlOutcome ok = db.Prepare("INSERT INTO temp.sweepora_kept(id) VALUES (?1)", keep); !ok) return ok;
        while (places.Next()) {
            if (!kept || !kept(places.Text(1))) continue;
            keep.Reset();
            keep.BindInt64(1, places.Int64(0));
            if (SqlOutcome ok = keep.Run(); !ok) return ok;
        }
        if (!places.Status()) return places.Status();
    }
    // Keywords are the user's settings: their places stay as bookmarked ones do.
    std::string gone = "INSERT INTO temp.sweepora_gone(id) SELECT id FROM moz_places WHERE "
                       "id NOT IN (SELECT id FROM temp.sweepora_kept) AND "
                       "id NOT IN (SELECT fk FROM moz_bookmarks WHERE fk IS NOT NULL)";
    if (Has(present, "moz_keywords"))
        gone += " AND id NOT IN (SELECT place_id FROM moz_keywords WHERE place_id IS NOT NULL)";
    if (SqlOutcome ok = db.Exec(gone); !ok) return ok;

    const std::string notKept = "NOT IN (SELECT id FROM temp.sweepora_kept)";
    const std::string isGone = "IN (SELECT id FROM temp.sweepora_gone)";
    std::vector<std::string> steps = {"DELETE FROM moz_historyvisits WHERE place_id " + notKept};
    if (Has(present, "moz_historyvisits_extra"))
        steps.push_back("DELETE FROM moz_historyvisits_extra WHERE visit_id NOT IN (SELECT id FROM moz_historyvisits)");
    if (Has(present, "moz_inputhistory")) steps.push_back("DELETE FROM moz_inputhistory WHERE place_id " + notKept);
    if (Has(present, "moz_places_metadata")) {
        std::string metadata = "DELETE FROM moz_places_metadata WHERE place_id " + notKept;
        if (Has(present, "moz_places_metadata", "referrer_place_id"))
            metadata += " OR referrer_place_id " + isGone;
        steps.push_back(metadata);
    }
    if (Has(present, "moz_places_metadata_search_queries")) {
        // Search terms are typed text: only those a remaining row still uses stay.
        steps.push_back(Has(present, "moz_places_metadata", "search_query_id")
                            ? "DELETE FROM moz_places_metadata_search_queries WHERE id NOT IN (SELECT "
                              "search_query_id FROM moz_places_metadata WHERE search_query_id IS NOT NULL)"
                            : "DELETE FROM moz_places_metadata_search_queries");
    }
    if (Has(present, "moz_annos")) steps.push_back("DELETE FROM moz_annos WHERE place_id " + isGone);
    if (Has(present, "moz_places_extra")) steps.push_back("DELETE FROM moz_places_extra WHERE place_id " + isGone);
    steps.push_back("DELETE FROM moz_places WHERE id " + isGone);
    if (Has(present, "moz_origins"))
        steps.push_back("DELETE FROM moz_origins WHERE id NOT IN "
                        "(SELECT origin_id FROM moz_places WHERE origin_id IS NOT NULL)");
    for (const std::string& step : steps)
        if (SqlOutcome ok = Delete(db, step, rows); !ok) return ok;

    // What stays for its bookmark or keyword loses its history figures. Frecency 0 ranks it
    // by nothing of the deleted visits; where Firefox has the flag, it recomputes the figure
    // from the bookmark alone.
    std::string reset = "UPDATE moz_places SET visit_count = 0, last_visit_date = NULL, frecency = 0";
    if (Has(present, "moz_places", "typed")) reset += ", typed = 0";
    if (Has(present, "moz_places", "recalc_frecency")) reset += ", recalc_frecency = 1";
    reset += " WHERE id " + notKept;
    if (SqlOutcome ok = db.Exec(reset); !ok) return ok;
    return db.Exec("DROP TABLE temp.sweepora_kept; DROP TABLE temp.sweepora_gone");
}

SqlOutcome CleanFavicons(SqliteDatabase& db, const Store& store, const KeptAddress& kept,
                         const std::set<std::string>& bookmarked, std::int64_t& rows)
{
    const bool rootColumn = Has(store.present, "moz_icons", "root");
    if (SqlOutcome ok = db.Exec("CREATE TEMP TABLE sweepora_pages(id INTEGER PRIMARY KEY)"); !ok) return ok;
    std::set<std::string> origins; // of the pages that stay
    {
        SqliteStatement pages, drop;
        if (SqlOutcome ok = db.Prepare("SELECT id, page_url FROM moz_pages_w_icons", pages); !ok) return ok;
        if (SqlOutcome ok = db.Prepare("INSERT INTO temp.sweepora_pages(id) VALUES (?1)", drop); !ok) return ok;
        while (pages.Next()) {
            const std::string url = pages.Text(1);
            if (bookmarked.count(url) || (kept && kept(url))) {
                origins.insert(OriginOf(url));
                continue;
            }
            drop.Reset();
            drop.BindInt64(1, pages.Int64(0));
            if (SqlOutcome ok = drop.Run(); !ok) return ok;
        }
        if (!pages.Status()) return pages.Status();
    }
    const std::string isGone = "IN (SELECT id FROM temp.sweepora_pages)";
    if (SqlOutcome ok = Delete(db, "DELETE FROM moz_pages_w_icons WHERE id " + isGone, rows); !ok) return ok;
    if (SqlOutcome ok = Delete(db, "DELETE FROM moz_icons_to_pages WHERE page_id " + isGone, rows); !ok) return ok;
    const std::string unused = "id NOT IN (SELECT icon_id FROM moz_icons_to_pages)";
    if (SqlOutcome ok = Delete(db, "DELETE FROM moz_icons WHERE " + unused + (rootColumn ? " AND root = 0" : ""), rows);
        !ok)
        return ok;
    if (rootColumn) {
        // A site's root icon serves every page of its origin without a mapping row: it
        // goes when no page of that origin stays.
        SqliteStatement roots, drop;
        if (SqlOutcome ok = db.Prepare("SELECT id, icon_url FROM moz_icons WHERE root <> 0 AND " + unused, roots);
            !ok)
            return ok;
        if (SqlOutcome ok = db.Prepare("DELETE FROM moz_icons WHERE id = ?1", drop); !ok) return ok;
        while (roots.Next()) {
            if (origins.count(OriginOf(roots.Text(1)))) continue;
            drop.Reset();
            drop.BindInt64(1, roots.Int64(0));
            if (SqlOutcome ok = drop.Run(); !ok) return ok;
            rows += db.Changes();
        }
        if (!roots.Status()) return roots.Status();
    }
    return db.Exec("DROP TABLE temp.sweepora_pages");
}

void WalkFiles(EraseContext& context, const std::wstring& parent, const std::string& name)
{
    WalkRequest request;
    request.display = DisplayPath(parent) + "\\" + name + "\\";
    request.folder = LongPath(request.display);
    request.recurse = false;
    WalkFolder(context, request);
}

} // namespace

std::vector<StoreOutcome> CleanFirefoxHistory(EraseContext& context, const BrowserProfile& profile,
                                              const KeptAddress& kept)
{
    std::vector<StoreOutcome> outcomes;
    if (context.run.abort) return outcomes;

    std::set<std::string> bookmarked;
    bool bookmarksKnown = false;
    {
        StoreOutcome outcome;
        outcome.store = "places.sqlite";
        const std::vector<TableNeeds> needs = {
            {"moz_places", {"id", "url", "visit_count", "last_visit_date", "frecency"}, true},
            {"moz_historyvisits", {"id", "place_id"}, true},
            {"moz_bookmarks", {"fk"}, true},
            {"moz_inputhistory", {"place_id"}, false},
            {"moz_annos", {"place_id"}, false},
            {"moz_keywords", {"place_id"}, false},
            {"moz_places_metadata", {"place_id"}, false},
            {"moz_places_metadata_search_queries", {"id"}, false},
            {"moz_origins", {"id"}, false},
            {"moz_places_extra", {"place_id"}, false},
            {"moz_historyvisits_extra", {"visit_id"}, false},
        };
        Store store;
        bool missing = false;
        if (OpenStore(profile.folder + L"\\places.sqlite", "places.sqlite", needs, KnownPlacesTables(), store,
                      outcome, missing)) {
            if (Has(store.present, "moz_origins") && !Has(store.present, "moz_places", "origin_id")) {
                outcome.problem = "unknown layout: table moz_places has no column origin_id";
                store.db.Close();
            } else {
                RunEdit(context, store, outcome, [&](SqliteDatabase& db, std::int64_t& rows) {
                    return CleanPlaces(db, store, kept, bookmarked, rows);
                });
                bookmarksKnown = outcome.problem.empty();
            }
        }
        if (!missing) outcomes.push_back(outcome);
    }

    if (context.run.abort) return outcomes;
    {
        StoreOutcome outcome;
        outcome.store = "favicons.sqlite";
        const std::wstring path = profile.folder + L"\\favicons.sqlite";
        const std::vector<TableNeeds> needs = {
            {"moz_pages_w_icons", {"id", "page_url"}, true},
            {"moz_icons_to_pages", {"page_id", "icon_id"}, true},
            {"moz_icons", {"id", "icon_url"}, true},
        };
        const std::set<std::string> known = {"moz_pages_w_icons", "moz_icons_to_pages", "moz_icons", "moz_meta"};
        Store store;
        bool missing = ::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES;
        if (!missing && !bookmarksKnown) {
            // Without the bookmarks, any page might be a bookmarked one.
            outcome.problem = "left as it was: the bookmarks in places.sqlite could not be read";
        } else if (!missing && OpenStore(path, "favicons.sqlite", needs, known, store, outcome, missing)) {
            RunEdit(context, store, outcome, [&](SqliteDatabase& db, std::int64_t& rows) {
                return CleanFavicons(db, store, kept, bookmarked, rows);
            });
        }
        if (!missing) outcomes.push_back(outcome);
    }

    if (context.run.abort) return outcomes;
    {
        const std::string roaming = DisplayPath(profile.folder);
        for (const char* name : {"sessionstore.jsonlz4", "SiteSecurityServiceState.txt", "AlternateServices.txt"})
            EraseNamedFile(context, roaming + "\\" + name);
        WalkFiles(context, profile.folder, "sessionstore-backups");
        if (!profile.localFolder.empty()) {
            WalkFiles(context, profile.localFolder, "thumbnails");
            WalkFiles(context, profile.localFolder, "jumpListCache");
        }
        StoreOutcome outcome;
        outcome.store = kHistoryFilesStore;
        outcomes.push_back(outcome);
    }
    return outcomes;
}

} // namespace sweepora
