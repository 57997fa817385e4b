#include "browsers/BrowserCookies.h"

#include "browsers/ChromiumSiteDatabases.h"
#include "browsers/ChromiumSiteStorage.h"
#include "browsers/FirefoxPermissions.h"
#include "browsers/FirefoxSiteStorage.h"

#include <string>

namespace sweepora {

namespace {

void PassTurn(EraseContext& context)
{
    if (context.yield) context.yield();
}

// Deletes the rows of `table` whose `column` names a host that is not kept; a row with no
// host belongs to no kept site and goes too.
SqlOutcome CutHostsNotKept(SqliteDatabase& db, const std::string& table, const std::string& column,
                           const KeptSite& kept, std::int64_t& rows)
{
    const std::string ids = "sweepora_kept_" + table;
    if (SqlOutcome ok = PickIds(db, ids, "SELECT rowid, " + column + " FROM main." + table,
                                [&](const std::string& host) { return kept && kept(host); });
        !ok)
        return ok;
    return CountedExec(db, "DELETE FROM main." + table + " WHERE rowid NOT IN (SELECT id FROM temp." + ids + ")", rows);
}

// Each needed table's host column, edited when the table is there.
bool CleanHostTables(EraseContext& context, const BrowserProfile& profile, const std::wstring& path,
                     const std::string& name, const std::vector<TableNeeds>& needs, const std::set<std::string>& known,
                     const KeptSite& kept, std::vector<StoreOutcome>& outcomes)
{
    StoreOutcome outcome;
    const bool found = EditBrowserStore(
        context, profile, path, name, needs, known,
        [&](SqliteDatabase& db, const StoreLayout& layout, std::int64_t& rows) -> SqlOutcome {
            for (const TableNeeds& need : needs) {
                if (!layout.Has(need.table)) continue;
                if (SqlOutcome ok = CutHostsNotKept(db, need.table, need.columns.front(), kept, rows); !ok) return ok;
            }
            return {};
        },
        outcome);
    if (found) outcomes.push_back(outcome);
    PassTurn(context);
    return found;
}

} // namespace

std::vector<StoreOutcome> CleanChromiumCookies(EraseContext& context, const BrowserProfile& profile,
                                               const KeptSite& kept)
{
    std::vector<StoreOutcome> outcomes;
    static const std::vector<TableNeeds> cookies = {{"cookies", {"host_key"}, true}};
    // Chromium moved its network state into "Network"; a profile from before keeps it beside History.
    for (const wchar_t* file : {L"Network\\Cookies", L"Cookies"}) {
        if (context.run.abort) return outcomes;
        CleanHostTables(context, profile, InProfile(profile.folder, file),
                        file[0] == L'N' ? "Network\\Cookies" : "Cookies", cookies, {"meta"}, kept, outcomes);
    }
    static const std::vector<TableNeeds> reporting = {{"nel_policies", {"origin_host"}},
                                                      {"reporting_endpoints", {"origin_host"}},
                                                      {"reporting_endpoint_groups", {"origin_host"}}};
    for (const wchar_t* file : {L"Network\\Reporting and NEL", L"Reporting and NEL"}) {
        if (context.run.abort) return outcomes;
        CleanHostTables(context, profile, InProfile(profile.folder, file),
                        file[0] == L'N' ? "Network\\Reporting and NEL" : "Reporting and NEL", reporting, {"meta"}, kept,
                        outcomes);
    }
    if (context.run.abort) return outcomes;
    for (StoreOutcome& outcome : CleanChromiumSiteStorage(context, profile, kept)) outcomes.push_back(outcome);
    if (context.run.abort) return outcomes;
    for (StoreOutcome& outcome : CleanChromiumSiteDatabases(context, profile, kept)) outcomes.push_back(outcome);
    return outcomes;
}

std::vector<StoreOutcome> CleanFirefoxCookies(EraseContext& context, const BrowserProfile& profile,
                                              const KeptSite& kept)
{
    std::vector<StoreOutcome> outcomes;
    if (context.run.abort) return outcomes;
    static const std::vector<TableNeeds> cookies = {{"moz_cookies", {"host"}, true}};
    CleanHostTables(context, profile, InProfile(profile.folder, L"cookies.sqlite"), "cookies.sqlite", cookies, {}, kept,
                    outcomes);
    if (context.run.abort) return outcomes;
    StoreOutcome permissions;
    if (CleanFirefoxPermissions(context, profile, kept, permissions)) outcomes.push_back(permissions);
    PassTurn(context);
    if (context.run.abort) return outcomes;
    for (StoreOutcome& outcome : CleanFirefoxSiteStorage(context, profile, kept)) outcomes.push_back(outcome);
    return outcomes;
}

} // namespace sweepora
