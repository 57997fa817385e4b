#include "browsers/BrowserHistory.h"
#include "browsers/BrowserStore.h"
#include "browsers/FirefoxContentPrefs.h"

#include <windows.h>

#include <map>
#include <set>

namespace sweepora {

namespace {

// "https://host:port" of an address; the whole text when it has no "://".
std::string OriginOf(const std::string& url)
{
    const std::size_t scheme = url.find("://");
    if (scheme == std::string::npos) return url;
    return url.substr(0, url.find('/', scheme + 3));
}

const std::set<std::string>& KnownPlacesTables()
{
    static const std::set<std::string> known = {
        "moz_places", "moz_historyvisits", "moz_bookmarks", "moz_inputhistory", "moz_annos",
        "moz_anno_attributes", "moz_items_annos", "moz_keywords", "moz_origins", "moz_places_metadata",
        "moz_places_metadata_search_queries", "moz_meta", "moz_bookmarks_deleted", "moz_previews_tombstones",
        "moz_places_extra", "moz_historyvisits_extra", "moz_newtab_story_click", "moz_newtab_story_impression",
        "moz_newtab_shortcuts_interaction"};
    return known;
}

// Reads the addresses bookmarks point at, then deletes the history as described in the
// header. `bookmarked` is filled before anything is deleted.
SqlOutcome CleanPlaces(SqliteDatabase& db, const StoreLayout& layout, const KeptAddress& kept,
                       std::set<std::string>& bookmarked, std::int64_t& rows)
{
    bookmarked.clear();
    // Firefox counts every bookmark and keyword of a place in foreign_count: a place it
    // counts stays even where the bookmarks table does not name it.
    const bool counted = layout.Has("moz_places", "foreign_count");
    const std::string referenced = counted ? " OR foreign_count > 0" : "";
    SqliteStatement marks;
    if (SqlOutcome ok = db.Prepare("SELECT url FROM moz_places WHERE url IS NOT NULL AND (id IN "
                                   "(SELECT fk FROM moz_bookmarks WHERE fk IS NOT NULL)" + referenced + ")",
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
    if (layout.Has("moz_keywords"))
        gone += " AND id NOT IN (SELECT place_id FROM moz_keywords WHERE place_id IS NOT NULL)";
    if (counted) gone += " AND foreign_count = 0";
    if (SqlOutcome ok = db.Exec(gone); !ok) return ok;
    if (layout.Has("moz_origins", "frecency"))
        if (SqlOutcome ok = db.Exec("CREATE TEMP TABLE sweepora_touched AS SELECT DISTINCT origin_id FROM moz_places "
                                    "WHERE origin_id IS NOT NULL AND id NOT IN (SELECT id FROM temp.sweepora_kept)");
            !ok)
            return ok;

    const std::string notKept = "NOT IN (SELECT id FROM temp.sweepora_kept)";
    const std::string isGone = "IN (SELECT id FROM temp.sweepora_gone)";
    std::vector<std::string> steps = {"DELETE FROM moz_historyvisits WHERE place_id " + notKept};
    if (layout.Has("moz_historyvisits_extra"))
        steps.push_back("DELETE FROM moz_historyvisits_extra WHERE visit_id NOT IN (SELECT id FROM moz_historyvisits)");
    if (layout.Has("moz_inputhistory")) steps.push_back("DELETE FROM moz_inputhistory WHERE place_id " + notKept);
    if (layout.Has("moz_places_metadata")) {
        std::string metadata = "DELETE FROM moz_places_metadata WHERE place_id " + notKept;
        if (layout.Has("moz_places_metadata", "referrer_place_id"))
            metadata += " OR referrer_place_id " + isGone;
        steps.push_back(metadata);
    }
    if (layout.Has("moz_places_metadata_search_queries")) {
        // Search terms are typed text: only those a remaining row still uses stay.
        steps.push_back(layout.Has("moz_places_metadata", "search_query_id")
                            ? "DELETE FROM moz_places_metadata_search_queries WHERE id NOT IN (SELECT "
                              "search_query_id FROM moz_places_metadata WHERE search_query_id IS NOT NULL)"
                            : "DELETE FROM moz_places_metadata_search_queries");
    }
    if (layout.Has("moz_annos")) {
        // Downloads are history: what was fetched, and where it was saved, go with the visits,
        // also for a bookmarked page. The files downloaded stay on disk.
        std::string annos = "DELETE FROM moz_annos WHERE place_id " + isGone;
        if (layout.Has("moz_anno_attributes"))
            annos += " OR (place_id " + notKept +
                     " AND anno_attribute_id IN (SELECT id FROM moz_anno_attributes WHERE name LIKE 'downloads/%'))";
        steps.push_back(annos);
    }
    // The history sync's own data of a place, and the new tab page's record of clicks on it.
    if (layout.Has("moz_places_extra")) steps.push_back("DELETE FROM moz_places_extra WHERE place_id " + notKept);
    if (layout.Has("moz_newtab_shortcuts_interaction"))
        steps.push_back("DELETE FROM moz_newtab_shortcuts_interaction WHERE place_id " + notKept);
    // The stories read and seen on the new tab page, and the names of removed pages' previews.
    for (const char* table : {"moz_newtab_story_click", "moz_newtab_story_impression", "moz_previews_tombstones"})
        if (layout.Has(table)) steps.push_back(std::string("DELETE FROM ") + table);
    steps.push_back("DELETE FROM moz_places WHERE id " + isGone);
    if (layout.Has("moz_origins"))
        steps.push_back("DELETE FROM moz_origins WHERE id NOT IN "
                        "(SELECT origin_id FROM moz_places WHERE origin_id IS NOT NULL)");
    for (const std::string& step : steps)
        if (SqlOutcome ok = CountedExec(db, step, rows); !ok) return ok;

    // What stays for its bookmark or keyword loses its history figures. Frecency 0 ranks it
    // by nothing of the deleted visits; where Firefox has the flags, it recomputes both
    // figures from the bookmark alone, as it does after clearing history.
    std::string reset = "UPDATE moz_places SET visit_count = 0, last_visit_date = NULL, frecency = 0";
    if (layout.Has("moz_places", "typed")) reset += ", typed = 0";
    if (layout.Has("moz_places", "recalc_frecency")) reset += ", recalc_frecency = 1";
    if (layout.Has("moz_places", "alt_frecency")) reset += ", alt_frecency = NULL";
    if (layout.Has("moz_places", "recalc_alt_frecency")) reset += ", recalc_alt_frecency = 1";
    reset += " WHERE id " + notKept;
    if (SqlOutcome ok = db.Exec(reset); !ok) return ok;
    if (layout.Has("moz_origins", "frecency")) {
        // A site's figure sums its pages': the sites that lost a page are ranked afresh.
        std::string origins = "UPDATE moz_origins SET frecency = 0";
        for (const char* column : {"recalc_frecency", "recalc_alt_frecency"})
            if (layout.Has("moz_origins", column)) origins += std::string(", ") + column + " = 1";
        if (layout.Has("moz_origins", "alt_frecency")) origins += ", alt_frecency = NULL";
        origins += " WHERE id IN (SELECT origin_id FROM temp.sweepora_touched)";
        if (SqlOutcome ok = db.Exec(origins); !ok) return ok;
    }
    return db.Exec("DROP TABLE temp.sweepora_kept; DROP TABLE temp.sweepora_gone; DROP TABLE IF EXISTS "
                   "temp.sweepora_touched");
}

SqlOutcome CleanFavicons(SqliteDatabase& db, const StoreLayout& layout, const KeptAddress& kept,
                         const std::set<std::string>& bookmarked, std::int64_t& rows)
{
    const bool rootColumn = layout.Has("moz_icons", "root");
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
    if (SqlOutcome ok = CountedExec(db, "DELETE FROM moz_pages_w_icons WHERE id " + isGone, rows); !ok) return ok;
    if (SqlOutcome ok = CountedExec(db, "DELETE FROM moz_icons_to_pages WHERE page_id " + isGone, rows); !ok) return ok;
    const std::string unused = "id NOT IN (SELECT icon_id FROM moz_icons_to_pages)";
    if (SqlOutcome ok = CountedExec(db, "DELETE FROM moz_icons WHERE " + unused + (rootColumn ? " AND root = 0" : ""), rows);
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
        static const std::vector<TableNeeds> needs = {
            {"moz_places", {"id", "url", "visit_count", "last_visit_date", "frecency"}, true},
            {"moz_historyvisits", {"id", "place_id"}, true},
            {"moz_bookmarks", {"fk"}, true},
            {"moz_inputhistory", {"place_id"}},
            {"moz_annos", {"place_id"}},
            {"moz_keywords", {"place_id"}},
            {"moz_places_metadata", {"place_id"}},
            {"moz_places_metadata_search_queries", {"id"}},
            {"moz_origins", {"id"}},
            {"moz_places_extra", {"place_id"}},
            {"moz_historyvisits_extra", {"visit_id"}},
            {"moz_anno_attributes", {"id", "name"}},
            {"moz_newtab_shortcuts_interaction", {"place_id"}},
            {"moz_newtab_story_click", {}},
            {"moz_newtab_story_impression", {}},
            {"moz_previews_tombstones", {}},
        };
        if (EditBrowserStore(context, profile, InProfile(profile.folder, L"places.sqlite"), "places.sqlite", needs,
                             KnownPlacesTables(),
                             [&](SqliteDatabase& db, const StoreLayout& layout, std::int64_t& rows) -> SqlOutcome {
                                 if (layout.Has("moz_origins") && !layout.Has("moz_places", "origin_id"))
                                     return SqlOutcome::Fail(SqlProblem::Failed,
                                                             "unknown layout: table moz_places has no column origin_id");
                                 return CleanPlaces(db, layout, kept, bookmarked, rows);
                             },
                             outcome)) {
            bookmarksKnown = outcome.problem.empty();
            outcomes.push_back(outcome);
        }
    }

    if (context.run.abort) return outcomes;
    {
        StoreOutcome outcome;
        outcome.store = "favicons.sqlite";
        const std::wstring path = InProfile(profile.folder, L"favicons.sqlite");
        static const std::vector<TableNeeds> needs = {
            {"moz_pages_w_icons", {"id", "page_url"}, true},
            {"moz_icons_to_pages", {"page_id", "icon_id"}, true},
            {"moz_icons", {"id", "icon_url"}, true},
        };
        const StoreEdit edit = [&](SqliteDatabase& db, const StoreLayout& layout, std::int64_t& rows) {
            return CleanFavicons(db, layout, kept, bookmarked, rows);
        };
        if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        } else if (!bookmarksKnown) {
            // Without the bookmarks, any page might be a bookmarked one.
            outcome.problem = "left as it was: the bookmarks in places.sqlite could not be read";
            outcomes.push_back(outcome);
        } else if (EditBrowserStore(context, profile, path, "favicons.sqlite", needs, {"moz_meta"}, edit, outcome)) {
            outcomes.push_back(outcome);
        }
    }

    if (context.run.abort) return outcomes;
    {
        StoreOutcome outcome;
        if (CleanFirefoxContentPrefs(context, profile, kept, outcome)) outcomes.push_back(outcome);
    }

    if (context.run.abort) return outcomes;
    StoreOutcome files = WholeFiles("history files");
    const std::int64_t left = context.run.filesLeft;
    // The hosts' security and alternative-service records: text in older versions, binary in today's.
    for (const wchar_t* name : {L"sessionstore.jsonlz4", L"SiteSecurityServiceState.txt", L"AlternateServices.txt",
                                L"SiteSecurityServiceState.bin", L"AlternateServices.bin"})
        EraseProfileFile(context, InProfile(profile.folder, name));
    // The sites that bounced the user on, Firefox's counterpart of Chromium's DIPS.
    EraseProfileFile(context, InProfile(profile.folder, L"bounce-tracking-protection.sqlite"), {L"-wal", L"-journal"});
    EraseProfileFolderFiles(context, InProfile(profile.folder, L"sessionstore-backups"), false);
    // Pictures of visited pages, named by a hash of their address.
    EraseProfileFolderFiles(context, InProfile(profile.folder, L"places-previews"), false);
    if (!profile.localFolder.empty()) {
        EraseProfileFolderFiles(context, InProfile(profile.localFolder, L"thumbnails"), false);
        EraseProfileFolderFiles(context, InProfile(profile.localFolder, L"jumpListCache"), false);
    }
    files.filesLeft = context.run.filesLeft - left;
    outcomes.push_back(files);
    return outcomes;
}

} // namespace sweepora
