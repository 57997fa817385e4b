#include "browsers/ChromiumSiteDatabases.h"

#include "browsers/SiteStorage.h"
#include "platform/WideText.h"

#include <windows.h>

#include <string>
#include <vector>

namespace sweepora {

namespace {

// How a column names the site its row belongs to.
enum class SiteText {
    Origin,            // "https://shop.example:8443"
    IssuerAndTopLevel, // two origins and a space between, as Private State Tokens key their pairs
    StorageIdentifier, // "https_shop.example_0", as WebSQL names origins
};

struct SiteColumn {
    const char* table;
    const char* column;
    SiteText text;
};

bool OriginGoes(const KeptSite& kept, const std::string& origin)
{
    const std::size_t colon = origin.find("://");
    if (colon == std::string::npos) return false;
    return SiteDataGoes(kept, origin.substr(0, colon), SiteHost(origin));
}

bool Goes(const KeptSite& kept, const std::string& text, SiteText kind)
{
    switch (kind) {
    case SiteText::Origin:
        return OriginGoes(kept, text);
    case SiteText::IssuerAndTopLevel: {
        const std::size_t space = text.find(' ');
        if (space == std::string::npos) return OriginGoes(kept, text);
        return OriginGoes(kept, text.substr(0, space)) || OriginGoes(kept, text.substr(space + 1));
    }
    case SiteText::StorageIdentifier: {
        std::string scheme, host;
        return ParseStorageIdentifier(text, scheme, host) && SiteDataGoes(kept, scheme, host);
    }
    }
    return false;
}

// The distinct values of a column whose site goes. By value rather than by rowid, since
// several of these tables are WITHOUT ROWID.
SqlOutcome GoneValues(SqliteDatabase& db, const SiteColumn& c, const KeptSite& kept, std::vector<std::string>& gone)
{
    SqliteStatement select;
    if (SqlOutcome ok = db.Prepare(std::string("SELECT DISTINCT ") + c.column + " FROM main." + c.table, select); !ok)
        return ok;
    while (select.Next())
        if (!select.IsNull(0) && Goes(kept, select.Text(0), c.text)) gone.push_back(select.Text(0));
    return select.Status();
}

SqlOutcome DeleteValues(SqliteDatabase& db, const SiteColumn& c, const std::vector<std::string>& values,
                        std::int64_t& rows)
{
    if (values.empty()) return {};
    SqliteStatement remove;
    if (SqlOutcome ok =
            db.Prepare(std::string("DELETE FROM main.") + c.table + " WHERE " + c.column + " = ?1", remove);
        !ok)
        return ok;
    for (const std::string& value : values) {
        remove.Reset();
        remove.BindText(1, value);
        if (SqlOutcome ok = remove.Run(); !ok) return ok;
        rows += db.Changes();
    }
    return {};
}

SqlOutcome CutSites(SqliteDatabase& db, const StoreLayout& layout, const std::vector<SiteColumn>& columns,
                    const KeptSite& kept, std::int64_t& rows)
{
    for (const SiteColumn& c : columns) {
        if (!layout.Has(c.table, c.column)) continue;
        std::vector<std::string> gone;
        if (SqlOutcome ok = GoneValues(db, c, kept, gone); !ok) return ok;
        if (SqlOutcome ok = DeleteValues(db, c, gone, rows); !ok) return ok;
    }
    return {};
}

void PassTurn(EraseContext& context)
{
    if (context.yield) context.yield();
}

// A store whose rows name sites in `columns`.
void CleanSiteRows(EraseContext& context, const BrowserProfile& profile, const wchar_t* file, const std::string& name,
                   const std::vector<TableNeeds>& needs, const std::set<std::string>& known,
                   const std::vector<SiteColumn>& columns, const KeptSite& kept, std::vector<StoreOutcome>& outcomes)
{
    if (context.run.abort) return;
    StoreOutcome outcome;
    if (EditBrowserStore(
            context, profile, InProfile(profile.folder, file), name, needs, known,
            [&](SqliteDatabase& db, const StoreLayout& layout, std::int64_t& rows) {
                return CutSites(db, layout, columns, kept, rows);
            },
            outcome))
        outcomes.push_back(outcome);
    PassTurn(context);
}

void CleanTrustTokens(EraseContext& context, const BrowserProfile& profile, const KeptSite& kept,
                      std::vector<StoreOutcome>& outcomes)
{
    // Each table maps a key to a protocol buffer: the issuer, the top-level site, or both.
    static const std::vector<TableNeeds> needs = {{"trust_tokens_issuer_config", {"key"}},
                                                  {"trust_tokens_toplevel_config", {"key"}},
                                                  {"trust_tokens_issuer_toplevel_pair_config", {"key"}}};
    static const std::vector<SiteColumn> columns = {
        {"trust_tokens_issuer_config", "key", SiteText::Origin},
        {"trust_tokens_toplevel_config", "key", SiteText::Origin},
        {"trust_tokens_issuer_toplevel_pair_config", "key", SiteText::IssuerAndTopLevel}};
    // Newer builds keep it with the cookies in "Network", older ones beside History.
    CleanSiteRows(context, profile, L"Network\\Trust Tokens", "Network\\Trust Tokens", needs, {"meta"}, columns, kept,
                  outcomes);
    CleanSiteRows(context, profile, L"Trust Tokens", "Trust Tokens", needs, {"meta"}, columns, kept, outcomes);
}

void CleanInterestGroups(EraseContext& context, const BrowserProfile& profile, const KeptSite& kept,
                         std::vector<StoreOutcome>& outcomes)
{
    static const std::vector<TableNeeds> needs = {
        // Builds before the joining site was recorded lack joining_origin: cut by owner alone.
        {"interest_groups", {"owner", "name"}, true},
        {"join_history", {"owner", "name"}},
        {"bid_history", {"owner", "name"}},
        {"win_history", {"owner", "name"}},
        {"cooldown_debugging_only_report", {"origin"}},
        {"view_and_click_events", {"provider_origin", "eligible_origin"}},
    };
    // Hashes of groups' keys, report lockouts and the auction servers' keys: no site in them.
    static const std::set<std::string> known = {"meta", "joined_k_anon", "k_anon", "cached_k_anonymity_hashes",
                                                "lockout_debugging_only_report", "bidding_and_auction_server_keys"};
    static const std::vector<SiteColumn> columns = {
        {"interest_groups", "owner", SiteText::Origin},
        {"interest_groups", "joining_origin", SiteText::Origin},
        {"cooldown_debugging_only_report", "origin", SiteText::Origin},
        {"view_and_click_events", "provider_origin", SiteText::Origin},
        {"view_and_click_events", "eligible_origin", SiteText::Origin},
    };
    StoreOutcome outcome;
    if (context.run.abort) return;
    if (EditBrowserStore(
            context, profile, InProfile(profile.folder, L"InterestGroups"), "InterestGroups", needs, known,
            [&](SqliteDatabase& db, const StoreLayout& layout, std::int64_t& rows) -> SqlOutcome {
                if (SqlOutcome ok = CutSites(db, layout, columns, kept, rows); !ok) return ok;
                // A group's counts go with the group, whichever of its sites took it.
                for (const char* history : {"join_history", "bid_history", "win_history"}) {
                    if (!layout.Has(history)) continue;
                    if (SqlOutcome ok = CountedExec(
                            db,
                            std::string("DELETE FROM main.") + history +
                                " WHERE NOT EXISTS (SELECT 1 FROM main.interest_groups g WHERE g.owner = main." +
                                history + ".owner AND g.name = main." + history + ".name)",
                            rows);
                        !ok)
                        return ok;
                }
                return {};
            },
            outcome))
        outcomes.push_back(outcome);
    PassTurn(context);
}

void CleanSharedStorage(EraseContext& context, const BrowserProfile& profile, const KeptSite& kept,
                        std::vector<StoreOutcome>& outcomes)
{
    static const std::vector<TableNeeds> needs = {{"values_mapping", {"context_origin"}, true},
                                                  {"per_origin_mapping", {"context_origin"}},
                                                  {"budget_mapping", {}}};
    // The budget table names the origin in older builds, the site in newer ones.
    static const std::vector<SiteColumn> columns = {{"values_mapping", "context_origin", SiteText::Origin},
                                                    {"per_origin_mapping", "context_origin", SiteText::Origin},
                                                    {"budget_mapping", "context_origin", SiteText::Origin},
                                                    {"budget_mapping", "context_site", SiteText::Origin}};
    CleanSiteRows(context, profile, L"SharedStorage", "SharedStorage", needs, {"meta"}, columns, kept, outcomes);
}

// WebSQL: "databases\<origin>\<n>" per database, listed by origin in "databases\Databases.db".
void CleanWebSql(EraseContext& context, const BrowserProfile& profile, const KeptSite& kept,
                 std::vector<StoreOutcome>& outcomes)
{
    if (context.run.abort) return;
    const std::wstring folder = InProfile(profile.folder, L"databases");
    if (!IsPlainFolder(folder)) return;
    static const std::vector<TableNeeds> needs = {{"databases", {"origin"}, true}};
    const SiteColumn origins = {"databases", "origin", SiteText::StorageIdentifier};
    StoreOutcome outcome;
    if (EditBrowserStore(
            context, profile, InProfile(folder, L"Databases.db"), "databases (WebSQL)", needs, {"meta"},
            [&](SqliteDatabase& db, const StoreLayout&, std::int64_t& rows) -> SqlOutcome {
                std::vector<std::string> gone, cleared;
                if (SqlOutcome ok = GoneValues(db, origins, kept, gone); !ok) return ok;
                for (const std::string& origin : gone) {
                    if (context.run.abort) break;
                    // The name comes from the file: only a plain folder name is followed.
                    if (origin.find_first_of("\\/:*?\"<>|") != std::string::npos || origin == "." || origin == "..")
                        continue;
                    const std::wstring site = InProfile(folder, WideFromUtf8(origin).c_str());
                    if (::GetFileAttributesW(site.c_str()) == INVALID_FILE_ATTRIBUTES || EraseSiteFolder(context, site))
                        cleared.push_back(origin);
                    PassTurn(context);
                }
                return DeleteValues(db, origins, cleared, rows);
            },
            outcome))
        outcomes.push_back(outcome);
    PassTurn(context);
}

} // namespace

std::vector<StoreOutcome> CleanChromiumSiteDatabases(EraseContext& context, const BrowserProfile& profile,
                                                     const KeptSite& kept)
{
    std::vector<StoreOutcome> outcomes;
    CleanTrustTokens(context, profile, kept, outcomes);
    CleanInterestGroups(context, profile, kept, outcomes);
    CleanSharedStorage(context, profile, kept, outcomes);
    CleanWebSql(context, profile, kept, outcomes);
    return outcomes;
}

} // namespace sweepora
