#include "browsers/BrowserHistory.h"
#include "browsers/BrowserStore.h"

#include "platform/ErrorText.h"
#include "platform/FileIo.h"
#include "platform/UniqueHandle.h"

#include <nlohmann/json.hpp>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace sweepora {

namespace {

// Real bookmark files are a few megabytes at most; the bound keeps garbage from filling memory.
constexpr std::uint64_t kBookmarksLimit = 64u << 20;
// Far deeper than any folder tree a user builds; a deeper file is taken for garbage.
constexpr int kDeepestBookmark = 512;

// One DELETE: the rows of `table` that match `where`, when the table is there.
struct Cut {
    const char* table;
    const char* where;
};

SqlOutcome ApplyCuts(SqliteDatabase& db, const std::vector<Cut>& cuts, const StoreLayout& layout, std::int64_t& rows)
{
    for (const Cut& cut : cuts) {
        if (!layout.Has(cut.table)) continue;
        if (SqlOutcome ok = CountedExec(db, std::string("DELETE FROM main.") + cut.table + " WHERE " + cut.where, rows);
            !ok)
            return ok;
    }
    return {};
}

// A temporary id table filled by `select` when its source table is there, empty otherwise.
SqlOutcome MakeIdTable(SqliteDatabase& db, const std::string& name, bool source, const std::string& select)
{
    if (SqlOutcome ok = db.Exec("CREATE TEMP TABLE " + name + "(id INTEGER PRIMARY KEY)"); !ok) return ok;
    if (!source) return {};
    return db.Exec("INSERT OR IGNORE INTO temp." + name + " " + select);
}

bool KeptBy(const KeptAddress& kept, const std::string& url) { return kept && kept(url); }

const std::vector<TableNeeds>& HistoryNeeds()
{
    static const std::vector<TableNeeds> needs = {
        {"urls", {"id", "url"}, true},
        {"visits", {"id", "url"}},
        {"visit_source", {"id"}},
        {"keyword_search_terms", {"url_id"}},
        {"segments", {"id", "url_id"}},
        {"segment_usage", {"segment_id"}},
        {"content_annotations", {"visit_id"}},
        {"context_annotations", {"visit_id"}},
        {"clusters_and_visits", {"cluster_id", "visit_id"}},
        {"clusters", {"cluster_id"}},
        {"cluster_keywords", {"cluster_id"}},
        {"cluster_visit_duplicates", {"visit_id", "duplicate_visit_id"}},
        {"visited_links", {"link_url_id"}},
        {"downloads", {"id"}},
        {"downloads_url_chains", {"id", "url"}},
        {"downloads_slices", {"download_id"}},
        {"downloads_reroute_info", {"download_id"}},
    };
    return needs;
}

// meta says which version wrote the file.
const std::set<std::string> kHistoryKnown = {"meta"};

// A download stays when an address it came through is kept; the file it saved is never
// touched, only the record of where it came from.
SqlOutcome CleanDownloadRows(SqliteDatabase& db, const StoreLayout& layout, const KeptAddress& kept, std::int64_t& rows)
{
    if (!layout.Has("downloads") && !layout.Has("downloads_url_chains")) return {};
    if (SqlOutcome ok = db.Exec("CREATE TEMP TABLE sweepora_kept_downloads(id INTEGER PRIMARY KEY)"); !ok) return ok;
    if (layout.Has("downloads_url_chains")) {
        if (SqlOutcome ok = PickIds(db, "sweepora_kept_chains", "SELECT id, url FROM main.downloads_url_chains",
                                    [&](const std::string& url) { return KeptBy(kept, url); });
            !ok)
            return ok;
        if (SqlOutcome ok = db.Exec("INSERT INTO temp.sweepora_kept_downloads SELECT id FROM temp.sweepora_kept_chains");
            !ok)
            return ok;
    }
    static const std::vector<Cut> cuts = {
        {"downloads_url_chains", "id NOT IN (SELECT id FROM temp.sweepora_kept_downloads)"},
        {"downloads_slices", "download_id NOT IN (SELECT id FROM temp.sweepora_kept_downloads)"},
        {"downloads_reroute_info", "download_id NOT IN (SELECT id FROM temp.sweepora_kept_downloads)"},
        {"downloads", "id NOT IN (SELECT id FROM temp.sweepora_kept_downloads)"},
    };
    return ApplyCuts(db, cuts, layout, rows);
}

SqlOutcome CleanHistoryRows(SqliteDatabase& db, const StoreLayout& layout, const KeptAddress& kept, std::int64_t& rows)
{
    if (SqlOutcome ok = PickIds(db, "sweepora_kept_urls", "SELECT id, url FROM main.urls",
                                [&](const std::string& url) { return KeptBy(kept, url); });
        !ok)
        return ok;
    if (SqlOutcome ok = MakeIdTable(db, "sweepora_kept_visits", layout.Has("visits"),
                                    "SELECT id FROM main.visits WHERE url IN (SELECT id FROM temp.sweepora_kept_urls)");
        !ok)
        return ok;
    if (SqlOutcome ok =
            MakeIdTable(db, "sweepora_kept_segments", layout.Has("segments"),
                        "SELECT id FROM main.segments WHERE url_id IN (SELECT id FROM temp.sweepora_kept_urls)");
        !ok)
        return ok;
    // A cluster goes once it loses a visit and has none of the kept ones left.
    if (SqlOutcome ok = MakeIdTable(db, "sweepora_gone_clusters", layout.Has("clusters_and_visits"),
                                    "SELECT cluster_id FROM main.clusters_and_visits WHERE visit_id NOT IN "
                                    "(SELECT id FROM temp.sweepora_kept_visits) AND cluster_id IS NOT NULL "
                                    "EXCEPT SELECT cluster_id FROM main.clusters_and_visits WHERE visit_id IN "
                                    "(SELECT id FROM temp.sweepora_kept_visits)");
        !ok)
        return ok;
    // Rows not tied to a kept address go, orphans included.
    static const std::vector<Cut> cuts = {
        {"clusters", "cluster_id IN (SELECT id FROM temp.sweepora_gone_clusters)"},
        {"cluster_keywords", "cluster_id IN (SELECT id FROM temp.sweepora_gone_clusters)"},
        {"clusters_and_visits", "visit_id NOT IN (SELECT id FROM temp.sweepora_kept_visits)"},
        {"cluster_visit_duplicates", "visit_id NOT IN (SELECT id FROM temp.sweepora_kept_visits) OR "
                                     "duplicate_visit_id NOT IN (SELECT id FROM temp.sweepora_kept_visits)"},
        {"content_annotations", "visit_id NOT IN (SELECT id FROM temp.sweepora_kept_visits)"},
        {"context_annotations", "visit_id NOT IN (SELECT id FROM temp.sweepora_kept_visits)"},
        {"visit_source", "id NOT IN (SELECT id FROM temp.sweepora_kept_visits)"},
        {"segment_usage", "segment_id NOT IN (SELECT id FROM temp.sweepora_kept_segments)"},
        {"segments", "id NOT IN (SELECT id FROM temp.sweepora_kept_segments)"},
        {"keyword_search_terms", "url_id NOT IN (SELECT id FROM temp.sweepora_kept_urls)"},
        {"visited_links", "link_url_id NOT IN (SELECT id FROM temp.sweepora_kept_urls)"},
        {"visits", "url NOT IN (SELECT id FROM temp.sweepora_kept_urls)"},
        {"urls", "id NOT IN (SELECT id FROM temp.sweepora_kept_urls)"},
    };
    if (SqlOutcome ok = ApplyCuts(db, cuts, layout, rows); !ok) return ok;
    return CleanDownloadRows(db, layout, kept, rows);
}

SqlOutcome CleanFaviconRows(SqliteDatabase& db, const StoreLayout& layout, const KeptAddress& kept,
                            const std::set<std::string>& bookmarked, std::int64_t& rows)
{
    if (SqlOutcome ok = PickIds(db, "sweepora_kept_mappings", "SELECT id, page_url FROM main.icon_mapping",
                                [&](const std::string& url) { return bookmarked.count(url) != 0 || KeptBy(kept, url); });
        !ok)
        return ok;
    if (SqlOutcome ok = MakeIdTable(db, "sweepora_kept_icons", true,
                                    "SELECT icon_id FROM main.icon_mapping WHERE icon_id IS NOT NULL AND id IN "
                                    "(SELECT id FROM temp.sweepora_kept_mappings)");
        !ok)
        return ok;
    static const std::vector<Cut> cuts = {
        {"favicon_bitmaps", "icon_id NOT IN (SELECT id FROM temp.sweepora_kept_icons)"},
        {"favicons", "id NOT IN (SELECT id FROM temp.sweepora_kept_icons)"},
        {"icon_mapping", "id NOT IN (SELECT id FROM temp.sweepora_kept_mappings)"},
    };
    return ApplyCuts(db, cuts, layout, rows);
}

void CollectBookmarks(const nlohmann::json& node, int depth, std::set<std::string>& urls, bool& tooDeep)
{
    if (depth > kDeepestBookmark) {
        tooDeep = true;
        return;
    }
    if (node.is_object()) {
        const auto type = node.find("type");
        const auto url = node.find("url");
        if (type != node.end() && type->is_string() && *type == "url" && url != node.end() && url->is_string())
            urls.insert(url->get<std::string>());
        for (const auto& item : node.items())
            if (item.value().is_structured()) CollectBookmarks(item.value(), depth + 1, urls, tooDeep);
    } else if (node.is_array()) {
        for (const auto& item : node) CollectBookmarks(item, depth + 1, urls, tooDeep);
    }
}

// The bookmarked addresses; empty without a Bookmarks file. A file that is there but cannot
// be read gives a reason instead, since guessing would lose the bookmarks' icons.
std::string ReadBookmarks(const BrowserProfile& profile, std::set<std::string>& urls)
{
    const std::wstring path = InProfile(profile.folder, L"Bookmarks");
    if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return {};
    const std::string why = "Bookmarks cannot be read (";
    const std::string then = "), so the icons of bookmarked pages cannot be told apart";
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return why + ErrorText(::GetLastError()) + then;
    std::string text;
    if (const DWORD error = ReadOpenFile(file.get(), kBookmarksLimit, text); error != ERROR_SUCCESS)
        return why + (error == ERROR_FILE_TOO_LARGE ? std::string("it is too large") : ErrorText(error)) + then;
    const nlohmann::json bookmarks = nlohmann::json::parse(text, nullptr, false);
    if (bookmarks.is_discarded() || !bookmarks.is_object()) return why + "it is not valid JSON" + then;
    const auto roots = bookmarks.find("roots");
    if (roots == bookmarks.end() || !roots->is_object()) return why + "it has no bookmark roots" + then;
    bool tooDeep = false;
    CollectBookmarks(*roots, 0, urls, tooDeep);
    if (tooDeep) return why + "its folders nest too deep" + then;
    return {};
}

StoreOutcome EraseHistoryFiles(EraseContext& context, const BrowserProfile& profile)
{
    StoreOutcome outcome = WholeFiles("history files");
    const std::vector<std::pair<const wchar_t*, std::vector<const wchar_t*>>> files = {
        {L"Visited Links", {}},
        {L"Top Sites", {L"-journal"}},
        {L"Shortcuts", {L"-journal"}},
        {L"Network Action Predictor", {L"-journal"}},
        {L"History Provider Cache", {}},
        {L"DIPS", {L"-wal", L"-journal"}},
        // Host lists the browser itself empties whole with its history: the servers it spoke
        // to and the sites that asked for HTTPS only (newer builds keep them in "Network").
        {L"Network\\Network Persistent State", {}},
        {L"Network Persistent State", {}},
        {L"Network\\TransportSecurity", {}},
        {L"TransportSecurity", {}},
        // The sites the Topics API saw, by hash; and the media pages played, which newer
        // builds delete themselves.
        {L"BrowsingTopicsSiteData", {L"-wal", L"-journal"}},
        {L"Media History", {L"-wal", L"-journal"}},
    };
    for (const auto& [name, companions] : files) {
        if (context.run.abort) return outcome;
        EraseProfileFile(context, InProfile(profile.folder, name), companions);
    }
    // A database file in some versions, a folder of them in others.
    const std::wstring embeddings = InProfile(profile.folder, L"HistoryEmbeddings");
    if (!context.run.abort) {
        EraseProfileFolderFiles(context, embeddings);
        EraseProfileFile(context, embeddings, {L"-wal", L"-journal"});
    }
    // Newer builds keep an encrypted copy of the open and closed tabs beside the plain one.
    for (const wchar_t* folder : {L"Sessions", L"Sessions_Encrypted"}) {
        if (context.run.abort) return outcome;
        EraseProfileFolderFiles(context, InProfile(profile.folder, folder));
    }
    return outcome;
}

void PassTurn(EraseContext& context)
{
    if (context.yield) context.yield();
}

} // namespace

std::vector<StoreOutcome> CleanChromiumHistory(EraseContext& context, const BrowserProfile& profile,
                                               const KeptAddress& kept)
{
    std::vector<StoreOutcome> outcomes;
    if (context.run.abort) return outcomes;

    StoreOutcome history;
    if (EditBrowserStore(context, profile, InProfile(profile.folder, L"History"), "History", HistoryNeeds(),
                         kHistoryKnown,
                         [&](SqliteDatabase& db, const StoreLayout& layout, std::int64_t& rows) {
                             return CleanHistoryRows(db, layout, kept, rows);
                         },
                         history))
        outcomes.push_back(history);
    PassTurn(context);
    if (context.run.abort) return outcomes;

    const std::wstring favicons = InProfile(profile.folder, L"Favicons");
    if (::GetFileAttributesW(favicons.c_str()) != INVALID_FILE_ATTRIBUTES) {
        std::set<std::string> bookmarked;
        StoreOutcome icons;
        icons.store = "Favicons";
        static const std::vector<TableNeeds> needs = {
            {"icon_mapping", {"id", "page_url", "icon_id"}, true},
            {"favicons", {"id"}},
            {"favicon_bitmaps", {"icon_id"}},
        };
        if (std::string unreadable = ReadBookmarks(profile, bookmarked); !unreadable.empty()) {
            icons.problem = unreadable;
            outcomes.push_back(icons);
        } else if (EditBrowserStore(context, profile, favicons, "Favicons", needs, {"meta"},
                                    [&](SqliteDatabase& db, const StoreLayout& layout, std::int64_t& rows) {
                                        return CleanFaviconRows(db, layout, kept, bookmarked, rows);
                                    },
                                    icons)) {
            outcomes.push_back(icons);
        }
    }
    PassTurn(context);
    if (context.run.abort) return outcomes;

    const std::int64_t left = context.run.filesLeft;
    outcomes.push_back(EraseHistoryFiles(context, profile));
    outcomes.back().filesLeft = context.run.filesLeft - left;
    return outcomes;
}

} // namespace sweepora
