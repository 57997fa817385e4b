#include "engine/BrowserHistory.h"

#include "erasure/FileEraser.h"
#include "erasure/FolderWalk.h"
#include "platform/ErrorText.h"
#include "platform/LongPath.h"
#include "platform/SqliteDatabase.h"
#include "platform/UniqueHandle.h"
#include "platform/WideText.h"

#include <nlohmann/json.hpp>

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <exception>
#include <functional>
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

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// A table this edits and the columns its conditions rely on.
struct Need {
    const char* table;
    std::vector<const char*> columns;
};

// One DELETE: the rows of `table` that match `where`. Conditions read only the row and
// the temporary tables made beforehand, so counting them first gives what deleting removes.
struct Cut {
    const char* table;
    const char* where;
};

struct Layout {
    std::set<std::string> present; // lower case
    std::string problem;
    std::string unknown;
};

// What the file's tables are, checked against what this knows, before anything is changed.
SqlOutcome ReadLayout(SqliteDatabase& db, const char* anchor, const std::vector<Need>& edited,
                      const std::vector<const char*>& ignored, Layout& layout)
{
    SqliteStatement tables;
    if (SqlOutcome ok = db.Prepare("SELECT name FROM main.sqlite_schema WHERE type = 'table' AND name NOT LIKE "
                                   "'sqlite!_%' ESCAPE '!' ORDER BY name",
                                   tables);
        !ok)
        return ok;
    std::vector<std::string> names;
    while (tables.Next()) names.push_back(tables.Text(0));
    if (!tables.Status()) return tables.Status();

    std::vector<std::string> unknown;
    for (const std::string& name : names) {
        const std::string lower = Lower(name);
        layout.present.insert(lower);
        const auto need = std::find_if(edited.begin(), edited.end(), [&](const Need& n) { return lower == n.table; });
        if (need != edited.end()) {
            std::vector<std::string> columns;
            if (SqlOutcome ok = db.Columns(name, columns); !ok) return ok;
            for (std::string& column : columns) column = Lower(column);
            for (const char* column : need->columns)
                if (layout.problem.empty() && std::find(columns.begin(), columns.end(), column) == columns.end())
                    layout.problem = "unknown layout: table " + name + " has no column " + column;
        } else if (std::find_if(ignored.begin(), ignored.end(), [&](const char* t) { return lower == t; }) ==
                   ignored.end()) {
            unknown.push_back(name);
        }
    }
    if (layout.problem.empty() && !layout.present.count(anchor))
        layout.problem = std::string("unknown layout: no table ") + anchor;
    for (const std::string& name : unknown) layout.unknown += (layout.unknown.empty() ? "left alone: " : ", ") + name;
    return {};
}

// Makes a temporary table of ids (it lives in memory and goes with the connection).
SqlOutcome MakeIdTable(SqliteDatabase& db, const std::string& name, const std::string& select)
{
    if (SqlOutcome ok = db.Exec("CREATE TEMP TABLE " + name + "(id INTEGER PRIMARY KEY)"); !ok) return ok;
    if (select.empty()) return {};
    return db.Exec("INSERT OR IGNORE INTO temp." + name + " " + select);
}

// Fills temp.`name` with the ids of `select` (id, text) rows whose text `keep` says stays.
SqlOutcome KeepIds(SqliteDatabase& db, const std::string& name, const std::string& select,
                   const std::function<bool(const std::string&)>& keep)
{
    if (SqlOutcome ok = MakeIdTable(db, name, ""); !ok) return ok;
    std::vector<std::int64_t> ids;
    {
        SqliteStatement rows;
        if (SqlOutcome ok = db.Prepare(select, rows); !ok) return ok;
        while (rows.Next())
            if (!rows.IsNull(0) && !rows.IsNull(1) && keep(rows.Text(1))) ids.push_back(rows.Int64(0));
        if (!rows.Status()) return rows.Status();
    }
    SqliteStatement insert;
    if (SqlOutcome ok = db.Prepare("INSERT OR IGNORE INTO temp." + name + "(id) VALUES (?1)", insert); !ok) return ok;
    for (const std::int64_t id : ids) {
        insert.Reset();
        insert.BindInt64(1, id);
        if (SqlOutcome ok = insert.Run(); !ok) return ok;
    }
    return {};
}

// Deletes (live) or counts (test run) the rows of each cut whose table is there.
SqlOutcome ApplyCuts(SqliteDatabase& db, const std::vector<Cut>& cuts, const Layout& layout, bool live,
                     std::int64_t& rows)
{
    for (const Cut& cut : cuts) {
        if (!layout.present.count(cut.table)) continue;
        const std::string sql =
            std::string(live ? "DELETE FROM main." : "SELECT count(*) FROM main.") + cut.table + " WHERE " + cut.where;
        SqliteStatement statement;
        if (SqlOutcome ok = db.Prepare(sql, statement); !ok) return ok;
        if (live) {
            if (SqlOutcome ok = statement.Run(); !ok) return ok;
            rows += db.Changes();
        } else {
            if (statement.Next()) rows += statement.Int64(0);
            if (!statement.Status()) return statement.Status();
        }
    }
    return {};
}

std::wstring InProfile(const BrowserProfile& profile, const wchar_t* name)
{
    std::wstring path = profile.folder;
    if (!path.empty() && path.back() != L'\\') path += L'\\';
    return path + name;
}

bool Exists(const std::wstring& path, DWORD& attributes)
{
    attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES;
}

// A browser that stopped mid-write leaves its last changes in the -wal or a live -journal.
// Opening the database would fold them in or roll them back, changing the file before the
// user chose to: both runs leave it as it is and say why.
std::string Unfinished(const std::wstring& path, const std::string& name)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (::GetFileAttributesExW((path + L"-wal").c_str(), GetFileExInfoStandard, &data) &&
        (data.nFileSizeHigh != 0 || data.nFileSizeLow != 0))
        return name + "-wal holds changes the browser has not yet written into " + name +
               " (it did not close cleanly); start and close the browser, then clean again";

    const std::wstring journal = path + L"-journal";
    if (!::GetFileAttributesExW(journal.c_str(), GetFileExInfoStandard, &data) ||
        (data.nFileSizeHigh == 0 && data.nFileSizeLow == 0))
        return {};
    UniqueFile file(::CreateFileW(journal.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return name + "-journal cannot be read (" + ErrorText(::GetLastError()) + ")";
    // As SQLite decides: a journal is live unless its first byte is zero.
    unsigned char first = 0;
    DWORD read = 0;
    if (!::ReadFile(file.get(), &first, 1, &read, nullptr))
        return name + "-journal cannot be read (" + ErrorText(::GetLastError()) + ")";
    if (read == 1 && first != 0)
        return name + "-journal holds a change the browser did not finish (it did not close cleanly); start and "
                      "close the browser, then clean again";
    return {};
}

// One database store: opened as a live run would (so both runs report the same problems),
// its layout checked, then edited in one transaction, or only counted in a test run.
struct StoreWork {
    const char* anchor;
    std::vector<Need> edited;
    std::vector<const char*> ignored;
    std::vector<Cut> cuts;
    // Makes the temporary tables the cuts read.
    std::function<SqlOutcome(SqliteDatabase&, const Layout&)> prepare;
};

bool CleanStore(EraseContext& context, const std::wstring& path, const char* name, const StoreWork& work,
                StoreOutcome& outcome)
{
    outcome.store = name;
    DWORD attributes = 0;
    if (!Exists(path, attributes)) return false;
    if (std::string unfinished = Unfinished(path, name); !unfinished.empty()) {
        outcome.problem = unfinished;
        return true;
    }
    SqliteDatabase db;
    if (SqlOutcome opened = db.Open(path); !opened) {
        outcome.problem = opened.reason;
        return true;
    }
    Layout layout;
    if (SqlOutcome ok = ReadLayout(db, work.anchor, work.edited, work.ignored, layout); !ok) {
        outcome.problem = ok.reason;
        return true;
    }
    outcome.unknown = layout.unknown;
    if (!layout.problem.empty()) {
        outcome.problem = layout.problem;
        return true;
    }
    // The id lists stay off the disk: a temporary file would hold what is being erased.
    if (SqlOutcome ok = db.Exec("PRAGMA temp_store=MEMORY"); !ok) {
        outcome.problem = ok.reason;
        return true;
    }

    std::int64_t rows = 0;
    const auto run = [&](SqliteDatabase& d) -> SqlOutcome {
        rows = 0;
        if (SqlOutcome ok = work.prepare(d, layout); !ok) return ok;
        return ApplyCuts(d, work.cuts, layout, context.run.live, rows);
    };
    SqlOutcome done;
    if (context.run.live) {
        done = db.Edit(run);
    } else {
        try {
            done = run(db);
        } catch (const std::exception& e) {
            done = SqlOutcome::Fail(SqlProblem::Failed, std::string("the count stopped: ") + e.what());
        }
    }
    if (!done) {
        outcome.problem = done.reason;
        outcome.edited = done.problem == SqlProblem::Unscrubbed;
        return true;
    }
    outcome.rows = rows;
    return true;
}

bool KeptBy(const KeptAddress& kept, const std::string& url) { return kept && kept(url); }

StoreWork HistoryWork(const KeptAddress& kept)
{
    StoreWork work;
    work.anchor = "urls";
    work.edited = {
        {"urls", {"id", "url"}},
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
    };
    // Downloads stay by design; meta says which version wrote the file.
    work.ignored = {"meta", "downloads", "downloads_url_chains", "downloads_slices"};
    // Rows not tied to a kept address go, orphans included.
    work.cuts = {
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
    work.prepare = [kept](SqliteDatabase& db, const Layout& layout) -> SqlOutcome {
        const auto has = [&](const char* table) { return layout.present.count(table) != 0; };
        if (SqlOutcome ok = KeepIds(db, "sweepora_kept_urls", "SELECT id, url FROM main.urls",
                                    [&](const std::string& url) { return KeptBy(kept, url); });
            !ok)
            return ok;
        if (SqlOutcome ok = MakeIdTable(db, "sweepora_kept_visits",
                                        has("visits") ? "SELECT id FROM main.visits WHERE url IN "
                                                        "(SELECT id FROM temp.sweepora_kept_urls)"
                                                      : "");
            !ok)
            return ok;
        if (SqlOutcome ok = MakeIdTable(db, "sweepora_kept_segments",
                                        has("segments") ? "SELECT id FROM main.segments WHERE url_id IN "
                                                          "(SELECT id FROM temp.sweepora_kept_urls)"
                                                        : "");
            !ok)
            return ok;
        // A cluster goes once it loses a visit and has none of the kept ones left.
        return MakeIdTable(db, "sweepora_gone_clusters",
                           has("clusters_and_visits")
                               ? "SELECT cluster_id FROM main.clusters_and_visits WHERE visit_id NOT IN "
                                 "(SELECT id FROM temp.sweepora_kept_visits) AND cluster_id IS NOT NULL "
                                 "EXCEPT SELECT cluster_id FROM main.clusters_and_visits WHERE visit_id IN "
                                 "(SELECT id FROM temp.sweepora_kept_visits)"
                               : "");
    };
    return work;
}

StoreWork FaviconsWork(const KeptAddress& kept, const std::set<std::string>& bookmarked)
{
    StoreWork work;
    work.anchor = "icon_mapping";
    work.edited = {
        {"icon_mapping", {"id", "page_url", "icon_id"}},
        {"favicons", {"id"}},
        {"favicon_bitmaps", {"icon_id"}},
    };
    work.ignored = {"meta"};
    work.cuts = {
        {"favicon_bitmaps", "icon_id NOT IN (SELECT id FROM temp.sweepora_kept_icons)"},
        {"favicons", "id NOT IN (SELECT id FROM temp.sweepora_kept_icons)"},
        {"icon_mapping", "id NOT IN (SELECT id FROM temp.sweepora_kept_mappings)"},
    };
    work.prepare = [kept, bookmarked](SqliteDatabase& db, const Layout&) -> SqlOutcome {
        if (SqlOutcome ok = KeepIds(db, "sweepora_kept_mappings", "SELECT id, page_url FROM main.icon_mapping",
                                    [&](const std::string& url) {
                                        return bookmarked.count(url) != 0 || KeptBy(kept, url);
                                    });
            !ok)
            return ok;
        return MakeIdTable(db, "sweepora_kept_icons",
                           "SELECT icon_id FROM main.icon_mapping WHERE icon_id IS NOT NULL AND id IN "
                           "(SELECT id FROM temp.sweepora_kept_mappings)");
    };
    return work;
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
    const std::wstring path = InProfile(profile, L"Bookmarks");
    DWORD attributes = 0;
    if (!Exists(path, attributes)) return {};
    const std::string why = "Bookmarks cannot be read (";
    const std::string then = "), so the icons of bookmarked pages cannot be told apart";
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return why + ErrorText(::GetLastError()) + then;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size)) return why + ErrorText(::GetLastError()) + then;
    if (static_cast<std::uint64_t>(size.QuadPart) > kBookmarksLimit) return why + "it is too large" + then;
    std::string text(static_cast<std::size_t>(size.QuadPart), '\0');
    std::size_t done = 0;
    while (done < text.size()) {
        DWORD read = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(text.size() - done, 1u << 20));
        if (!::ReadFile(file.get(), &text[done], want, &read, nullptr)) return why + ErrorText(::GetLastError()) + then;
        if (read == 0) break;
        done += read;
    }
    text.resize(done);
    const nlohmann::json bookmarks = nlohmann::json::parse(text, nullptr, false);
    if (bookmarks.is_discarded() || !bookmarks.is_object()) return why + "it is not valid JSON" + then;
    const auto roots = bookmarks.find("roots");
    if (roots == bookmarks.end() || !roots->is_object()) return why + "it has no bookmark roots" + then;
    bool tooDeep = false;
    CollectBookmarks(*roots, 0, urls, tooDeep);
    if (tooDeep) return why + "its folders nest too deep" + then;
    return {};
}

void EraseFile(EraseContext& context, const std::wstring& path, const std::vector<const wchar_t*>& companions)
{
    DWORD attributes = 0;
    if (!Exists(path, attributes) || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
    // A journal outliving its database would be all that is left; one deleted while the
    // database stays could leave that database half-written.
    if (EraseNamedFile(context, DisplayPath(path)) != ERROR_SUCCESS) return;
    for (const wchar_t* suffix : companions) {
        if (context.run.abort) return;
        if (Exists(path + suffix, attributes) && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
            EraseNamedFile(context, DisplayPath(path + suffix));
    }
}

void EraseFolderFiles(EraseContext& context, const std::wstring& path)
{
    WalkRequest request;
    request.display = DisplayPath(path) + "\\";
    request.folder = path;
    request.recurse = true;
    request.removeSubfolders = false;
    request.removeFolder = false;
    WalkFolder(context, request);
}

StoreOutcome EraseHistoryFiles(EraseContext& context, const BrowserProfile& profile)
{
    StoreOutcome outcome;
    outcome.store = kHistoryFilesStore;
    const std::vector<std::pair<const wchar_t*, std::vector<const wchar_t*>>> files = {
        {L"Visited Links", {}},
        {L"Top Sites", {L"-journal"}},
        {L"Shortcuts", {L"-journal"}},
        {L"Network Action Predictor", {L"-journal"}},
        {L"History Provider Cache", {}},
        {L"DIPS", {L"-wal", L"-journal"}},
    };
    for (const auto& [name, companions] : files) {
        if (context.run.abort) return outcome;
        EraseFile(context, InProfile(profile, name), companions);
    }
    // A database file in some versions, a folder of them in others.
    const std::wstring embeddings = InProfile(profile, L"HistoryEmbeddings");
    DWORD attributes = 0;
    if (!context.run.abort && Exists(embeddings, attributes)) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            EraseFolderFiles(context, embeddings);
        else
            EraseFile(context, embeddings, {L"-wal", L"-journal"});
    }
    // Newer builds keep an encrypted copy of the open and closed tabs beside the plain one.
    for (const wchar_t* folder : {L"Sessions", L"Sessions_Encrypted"}) {
        if (context.run.abort) return outcome;
        const std::wstring path = InProfile(profile, folder);
        if (Exists(path, attributes) && (attributes & FILE_ATTRIBUTE_DIRECTORY)) EraseFolderFiles(context, path);
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
    if (CleanStore(context, InProfile(profile, L"History"), "History", HistoryWork(kept), history))
        outcomes.push_back(history);
    PassTurn(context);
    if (context.run.abort) return outcomes;

    const std::wstring favicons = InProfile(profile, L"Favicons");
    DWORD attributes = 0;
    if (Exists(favicons, attributes)) {
        std::set<std::string> bookmarked;
        StoreOutcome icons;
        icons.store = "Favicons";
        if (std::string unreadable = ReadBookmarks(profile, bookmarked); !unreadable.empty()) {
            icons.problem = unreadable;
            outcomes.push_back(icons);
        } else if (CleanStore(context, favicons, "Favicons", FaviconsWork(kept, bookmarked), icons)) {
            outcomes.push_back(icons);
        }
    }
    PassTurn(context);
    if (context.run.abort) return outcomes;

    outcomes.push_back(EraseHistoryFiles(context, profile));
    return outcomes;
}

} // namespace sweepora
