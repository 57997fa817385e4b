#include "browsers/BrowserTypedUrls.h"

#include <string>

namespace sweepora {

namespace {

// Chromium's and Firefox's core transition for an address typed into the address bar, and
// what it becomes: a link followed. The qualifier bits above Chromium's core byte stay.
constexpr int kChromiumTyped = 1, kChromiumFromAddressBar = 0x02000000;
constexpr int kFirefoxTyped = 2, kFirefoxLink = 1;

bool KeptBy(const KeptAddress& kept, const std::string& url) { return kept && kept(url); }

// The ids of `select`'s (id, url) rows whose address the user does not keep, in temp.`table`.
SqlOutcome PickGone(SqliteDatabase& db, const std::string& table, const std::string& select, const KeptAddress& kept)
{
    return PickIds(db, table, select, [&](const std::string& url) { return !KeptBy(kept, url); });
}

SqlOutcome CleanChromiumTyped(SqliteDatabase& db, const StoreLayout& layout, const KeptAddress& kept,
                              std::int64_t& rows)
{
    if (SqlOutcome ok = PickGone(db, "sweepora_typed_urls", "SELECT id, url FROM main.urls", kept); !ok) return ok;
    const std::string gone = "IN (SELECT id FROM temp.sweepora_typed_urls)";
    if (SqlOutcome ok = CountedExec(db, "UPDATE main.urls SET typed_count = 0 WHERE typed_count <> 0 AND id " + gone,
                                    rows);
        !ok)
        return ok;
    // Chromium counts typed visits again when old visits expire: they become links, and no
    // visit keeps the mark of having come from the address bar.
    if (layout.Has("visits", "transition")) {
        const std::string typed = "(transition & 255) = " + std::to_string(kChromiumTyped);
        const std::string fromBar = std::to_string(kChromiumFromAddressBar);
        if (SqlOutcome ok = CountedExec(db,
                                        "UPDATE main.visits SET transition = (CASE WHEN " + typed +
                                            " THEN transition & ~255 ELSE transition END) & ~" + fromBar + " WHERE (" +
                                            typed + " OR (transition & " + fromBar + ") <> 0) AND url " + gone,
                                        rows);
            !ok)
            return ok;
    }
    if (layout.Has("keyword_search_terms"))
        if (SqlOutcome ok = CountedExec(db, "DELETE FROM main.keyword_search_terms WHERE url_id " + gone, rows); !ok)
            return ok;
    return db.Exec("DROP TABLE temp.sweepora_typed_urls");
}

SqlOutcome CleanShortcuts(SqliteDatabase& db, const KeptAddress& kept, std::int64_t& rows)
{
    // Shortcut ids are text: the rows are picked by rowid.
    if (SqlOutcome ok = PickGone(db, "sweepora_gone_shortcuts", "SELECT rowid, url FROM main.omni_box_shortcuts", kept);
        !ok)
        return ok;
    return CountedExec(db,
                       "DELETE FROM main.omni_box_shortcuts WHERE rowid IN "
                       "(SELECT id FROM temp.sweepora_gone_shortcuts)",
                       rows);
}

SqlOutcome CleanFirefoxTyped(SqliteDatabase& db, const StoreLayout& layout, const KeptAddress& kept, std::int64_t& rows)
{
    if (SqlOutcome ok = PickGone(db, "sweepora_typed_places", "SELECT id, url FROM main.moz_places", kept); !ok)
        return ok;
    const std::string gone = "IN (SELECT id FROM temp.sweepora_typed_places)";
    // Typing ranked these places higher: Firefox works their rank out again once flagged.
    std::string flags;
    for (const char* column : {"recalc_frecency", "recalc_alt_frecency"})
        if (layout.Has("moz_places", column)) flags += std::string(flags.empty() ? "" : ", ") + column + " = 1";
    if (!flags.empty() && layout.Has("moz_places", "typed")) {
        std::string typedVisits;
        if (layout.Has("moz_historyvisits", "visit_type"))
            typedVisits = " OR id IN (SELECT place_id FROM main.moz_historyvisits WHERE visit_type = " +
                          std::to_string(kFirefoxTyped) + ")";
        if (SqlOutcome ok = db.Exec("UPDATE main.moz_places SET " + flags + " WHERE id " + gone + " AND (typed <> 0" +
                                    typedVisits + ")");
            !ok)
            return ok;
    }
    if (layout.Has("moz_inputhistory"))
        if (SqlOutcome ok = CountedExec(db, "DELETE FROM main.moz_inputhistory WHERE place_id " + gone, rows); !ok)
            return ok;
    if (layout.Has("moz_places", "typed"))
        if (SqlOutcome ok = CountedExec(db, "UPDATE main.moz_places SET typed = 0 WHERE typed <> 0 AND id " + gone,
                                        rows);
            !ok)
            return ok;
    if (layout.Has("moz_historyvisits", "visit_type"))
        if (SqlOutcome ok = CountedExec(
                db,
                "UPDATE main.moz_historyvisits SET visit_type = " + std::to_string(kFirefoxLink) +
                    " WHERE visit_type = " + std::to_string(kFirefoxTyped) + " AND place_id " + gone,
                rows);
            !ok)
            return ok;
    return db.Exec("DROP TABLE temp.sweepora_typed_places");
}

void PassTurn(EraseContext& context)
{
    if (context.yield) context.yield();
}

} // namespace

std::vector<StoreOutcome> CleanBrowserTypedUrls(EraseContext& context, const BrowserProfile& profile,
                                                const KeptAddress& kept)
{
    std::vector<StoreOutcome> outcomes;
    if (context.run.abort) return outcomes;
    if (BrowserOf(profile.browser).family == BrowserFamily::Firefox) {
        static const std::vector<TableNeeds> needs = {
            {"moz_places", {"id", "url"}, true},
            {"moz_inputhistory", {"place_id"}},
            {"moz_historyvisits", {"place_id"}},
        };
        // places.sqlite's other tables are history and bookmarks, which this box leaves alone.
        static const std::set<std::string> known = {"moz_bookmarks",
                                                    "moz_annos",
                                                    "moz_anno_attributes",
                                                    "moz_items_annos",
                                                    "moz_keywords",
                                                    "moz_origins",
                                                    "moz_places_metadata",
                                                    "moz_places_metadata_search_queries",
                                                    "moz_meta",
                                                    "moz_bookmarks_deleted",
                                                    "moz_previews_tombstones",
                                                    "moz_places_extra",
                                                    "moz_historyvisits_extra",
                                                    "moz_newtab_story_click",
                                                    "moz_newtab_story_impression",
                                                    "moz_newtab_shortcuts_interaction"};
        StoreOutcome places;
        if (EditBrowserStore(
                context, profile, InProfile(profile.folder, L"places.sqlite"), "places.sqlite", needs, known,
                [&](SqliteDatabase& db, const StoreLayout& layout, std::int64_t& rows) {
                    return CleanFirefoxTyped(db, layout, kept, rows);
                },
                places))
            outcomes.push_back(places);
        return outcomes;
    }

    static const std::vector<TableNeeds> historyNeeds = {
        {"urls", {"id", "url", "typed_count"}, true},
        {"visits", {"url"}},
        {"keyword_search_terms", {"url_id"}},
    };
    // History's other tables are the history box's, left alone here.
    static const std::set<std::string> historyKnown = {"meta",
                                                       "downloads",
                                                       "downloads_url_chains",
                                                       "downloads_slices",
                                                       "downloads_reroute_info",
                                                       "visit_source",
                                                       "segments",
                                                       "segment_usage",
                                                       "content_annotations",
                                                       "context_annotations",
                                                       "clusters",
                                                       "clusters_and_visits",
                                                       "cluster_keywords",
                                                       "cluster_visit_duplicates",
                                                       "visited_links",
                                                       "history_sync_metadata",
                                                       "journeys",
                                                       "journey_history_entries",
                                                       "journey_continuation_queries",
                                                       "journey_sync_metadata"};
    StoreOutcome history;
    if (EditBrowserStore(
            context, profile, InProfile(profile.folder, L"History"), "History", historyNeeds, historyKnown,
            [&](SqliteDatabase& db, const StoreLayout& layout, std::int64_t& rows) {
                return CleanChromiumTyped(db, layout, kept, rows);
            },
            history))
        outcomes.push_back(history);
    PassTurn(context);
    if (context.run.abort) return outcomes;

    static const std::vector<TableNeeds> shortcutNeeds = {
        {"omni_box_shortcuts", {"id", "text", "url"}, true},
    };
    StoreOutcome shortcuts;
    if (EditBrowserStore(
            context, profile, InProfile(profile.folder, L"Shortcuts"), "Shortcuts", shortcutNeeds, {"meta"},
            [&](SqliteDatabase& db, const StoreLayout&, std::int64_t& rows) { return CleanShortcuts(db, kept, rows); },
            shortcuts))
        outcomes.push_back(shortcuts);
    return outcomes;
}

} // namespace sweepora
