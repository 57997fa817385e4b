#include "browsers/ChromiumHistoryStores.h"

#include "browsers/BrowserForms.h"
#include "browsers/ChromiumDownloadRecords.h"
#include "platform/ErrorText.h"
#include "platform/FileIo.h"
#include "platform/LongPath.h"
#include "platform/UniqueHandle.h"
#include "platform/WideText.h"

#include <nlohmann/json.hpp>

#include <windows.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

namespace sweepora {

namespace {

// Real Preferences files are well under a few megabytes; the bound keeps garbage out of memory.
constexpr std::uint64_t kPreferencesLimit = 32u << 20;

bool KeptBy(const KeptAddress& kept, const std::string& url) { return kept && !url.empty() && kept(url); }

void PassTurn(EraseContext& context)
{
    if (context.yield) context.yield();
}

// The default search engine as a settings file names it: its sync GUID, or its row id.
struct DefaultEngine {
    std::set<std::string> guids;
    std::set<std::int64_t> ids;
};

// Adds what `file` says of the default engine; empty when read (or not there), else why not.
std::string ReadDefaultEngine(const std::wstring& file, DefaultEngine& found)
{
    UniqueFile handle(::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? std::string() : ErrorText(error);
    }
    std::string text;
    if (const DWORD error = ReadOpenFile(handle.get(), kPreferencesLimit, text); error != ERROR_SUCCESS)
        return error == ERROR_FILE_TOO_LARGE ? "it is larger than 32 MB" : ErrorText(error);
    const nlohmann::json document = nlohmann::json::parse(text, nullptr, false);
    if (document.is_discarded() || !document.is_object()) return "it is not valid JSON";
    const auto textAt = [](const nlohmann::json& node, const char* key) -> std::string {
        if (!node.is_object()) return {};
        const auto value = node.find(key);
        return value != node.end() && value->is_string() ? value->get<std::string>() : std::string();
    };
    if (const auto provider = document.find("default_search_provider"); provider != document.end())
        if (std::string guid = textAt(*provider, "guid"); !guid.empty()) found.guids.insert(guid);
    if (const auto data = document.find("default_search_provider_data");
        data != document.end() && data->is_object()) {
        if (const auto url = data->find("template_url_data"); url != data->end() && url->is_object()) {
            if (std::string guid = textAt(*url, "sync_guid"); !guid.empty()) found.guids.insert(guid);
            const std::string id = textAt(*url, "id");
            if (!id.empty() && id.find_first_not_of("0123456789") == std::string::npos && id.size() < 19)
                found.ids.insert(std::stoll(id));
        }
    }
    return {};
}

SqlOutcome CutSearchEngines(SqliteDatabase& db, const StoreLayout& layout, const KeptAddress& kept,
                            DefaultEngine defaults, std::int64_t& rows)
{
    if (layout.Has("meta", "key") && layout.Has("meta", "value")) {
        SqliteStatement meta;
        if (SqlOutcome ok = db.Prepare("SELECT value FROM main.meta WHERE key = 'Default Search Provider ID'", meta);
            !ok)
            return ok;
        while (meta.Next())
            if (!meta.IsNull(0)) defaults.ids.insert(meta.Int64(0));
        if (!meta.Status()) return meta.Status();
    }
    // Only what the browser added by itself; older builds lack some of the marks.
    std::string where = "safe_for_autoreplace = 1 AND prepopulate_id = 0";
    for (const char* mark : {"created_by_policy", "starter_pack_id", "created_from_play_api", "enforced_by_policy",
                             "featured_by_policy"})
        if (layout.Has("keywords", mark)) where += std::string(" AND ifnull(") + mark + ", 0) = 0";
    const bool guids = layout.Has("keywords", "sync_guid"), origins = layout.Has("keywords", "originating_url");
    std::vector<std::int64_t> gone;
    {
        SqliteStatement select;
        if (SqlOutcome ok = db.Prepare(std::string("SELECT id, ifnull(url, ''), ") +
                                           (origins ? "ifnull(originating_url, '')" : "''") + ", " +
                                           (guids ? "ifnull(sync_guid, '')" : "''") + " FROM main.keywords WHERE " +
                                           where,
                                       select);
            !ok)
            return ok;
        while (select.Next()) {
            const std::int64_t id = select.Int64(0);
            if (defaults.ids.count(id) || defaults.guids.count(select.Text(3))) continue;
            if (KeptBy(kept, select.Text(1)) || KeptBy(kept, select.Text(2))) continue;
            gone.push_back(id);
        }
        if (!select.Status()) return select.Status();
    }
    SqliteStatement remove;
    if (SqlOutcome ok = db.Prepare("DELETE FROM main.keywords WHERE id = ?1", remove); !ok) return ok;
    for (const std::int64_t id : gone) {
        remove.Reset();
        remove.BindInt64(1, id);
        if (SqlOutcome ok = remove.Run(); !ok) return ok;
        rows += db.Changes();
    }
    return {};
}

} // namespace

std::vector<StoreOutcome> CleanChromiumSearchEngines(EraseContext& context, const BrowserProfile& profile,
                                                     const KeptAddress& kept)
{
    std::vector<StoreOutcome> outcomes;
    const std::wstring webData = InProfile(profile.folder, L"Web Data");
    if (context.run.abort || ::GetFileAttributesW(webData.c_str()) == INVALID_FILE_ATTRIBUTES) return outcomes;
    const std::string name = "search engines in Web Data";
    DefaultEngine defaults;
    for (const wchar_t* file : {L"Preferences", L"Secure Preferences"}) {
        if (std::string why = ReadDefaultEngine(InProfile(profile.folder, file), defaults); !why.empty()) {
            StoreOutcome outcome;
            outcome.store = name;
            outcome.problem = Utf8FromWide(std::wstring(file)) + " cannot be read (" + why +
                              "), so the default search engine cannot be told";
            outcomes.push_back(outcome);
            return outcomes;
        }
    }
    static const std::vector<TableNeeds> needs = {
        {"keywords", {"id", "url", "safe_for_autoreplace", "prepopulate_id"}, true},
        {"meta", {"key", "value"}},
    };
    // The form entries are the forms box's; they stay here.
    static const std::set<std::string> known = [] {
        std::set<std::string> all = KnownWebDataTables();
        all.insert({"autofill", "autocomplete", "autofill_sync_metadata"});
        return all;
    }();
    StoreOutcome outcome;
    if (EditBrowserStore(
            context, profile, webData, name, needs, known,
            [&](SqliteDatabase& db, const StoreLayout& layout, std::int64_t& rows) {
                return CutSearchEngines(db, layout, kept, defaults, rows);
            },
            outcome))
        outcomes.push_back(outcome);
    PassTurn(context);
    return outcomes;
}

std::vector<StoreOutcome> CleanChromiumUkmDatabase(EraseContext& context, const BrowserProfile& profile,
                                                   const KeptAddress& kept)
{
    std::vector<StoreOutcome> outcomes;
    if (context.run.abort || profile.dataFolder.empty()) return outcomes;
    static const std::vector<TableNeeds> needs = {{"urls", {"url_id", "url"}, true}, {"metrics", {"url_id"}}};
    // Counts of the browser's own use, by metric: no address in them.
    static const std::set<std::string> known = {"meta", "uma_metrics"};
    StoreOutcome outcome;
    if (EditBrowserStore(
            context, profile, InProfile(profile.dataFolder, L"segmentation_platform\\ukm_db"),
            "segmentation_platform\\ukm_db", needs, known,
            [&](SqliteDatabase& db, const StoreLayout& layout, std::int64_t& rows) -> SqlOutcome {
                if (SqlOutcome ok = PickIds(db, "sweepora_kept_ukm_urls", "SELECT url_id, url FROM main.urls",
                                            [&](const std::string& url) { return KeptBy(kept, url); });
                    !ok)
                    return ok;
                // Metrics of no address (url_id 0) are not history; those of a removed one go.
                if (layout.Has("metrics"))
                    if (SqlOutcome ok = CountedExec(db,
                                                    "DELETE FROM main.metrics WHERE url_id IN (SELECT url_id FROM "
                                                    "main.urls WHERE url_id NOT IN (SELECT id FROM "
                                                    "temp.sweepora_kept_ukm_urls))",
                                                    rows);
                        !ok)
                        return ok;
                return CountedExec(
                    db, "DELETE FROM main.urls WHERE url_id NOT IN (SELECT id FROM temp.sweepora_kept_ukm_urls)", rows);
            },
            outcome))
        outcomes.push_back(outcome);
    PassTurn(context);
    return outcomes;
}

std::function<std::vector<StoreOutcome>(EraseContext&, const BrowserProfile&)>
ChromiumHistoryStoresRun(const KeptAddress& kept)
{
    auto done = std::make_shared<std::set<std::wstring>>();
    return [done, kept](EraseContext& context, const BrowserProfile& profile) {
        std::vector<StoreOutcome> outcomes = CleanChromiumSearchEngines(context, profile, kept);
        if (!context.run.abort)
            for (StoreOutcome& records : CleanChromiumDownloadRecords(context, profile, kept))
                outcomes.push_back(records);
        if (!profile.dataFolder.empty() && done->insert(CanonicalFolder(profile.dataFolder)).second)
            for (StoreOutcome& shared : CleanChromiumUkmDatabase(context, profile, kept)) outcomes.push_back(shared);
        return outcomes;
    };
}

} // namespace sweepora
