#include "browsers/FirefoxPermissions.h"

#include "browsers/SiteStorage.h"

#include <string>

namespace sweepora {

namespace {

// The storage-access types carry the embedded site after a "^".
const char* const kStorageAccessPrefixes[] = {"3rdPartyStorage^", "3rdPartyFrameStorage^"};

// A permission type Firefox grants without asking.
bool AutomaticPermission(const std::string& type)
{
    if (type == "storageAccessAPI") return true;
    for (const char* prefix : kStorageAccessPrefixes)
        if (type.compare(0, std::char_traits<char>::length(prefix), prefix) == 0 &&
            type.size() > std::char_traits<char>::length(prefix))
            return true;
    return false;
}

// "https://www.bank.example:8443^userContextId=1", or a bare host: true when a web site
// that is not kept.
bool OriginGoes(const KeptSite& kept, const std::string& text)
{
    const std::string origin = text.substr(0, text.find('^'));
    const std::size_t colon = origin.find("://");
    if (colon == std::string::npos) return SiteDataGoes(kept, "https", SiteHost(origin));
    return SiteDataGoes(kept, origin.substr(0, colon), SiteHost(origin));
}

// One automatic permission: it goes when its own site goes, or the site it lets in does.
bool PermissionGoes(const KeptSite& kept, const std::string& origin, const std::string& type)
{
    if (!AutomaticPermission(type)) return false;
    if (OriginGoes(kept, origin)) return true;
    const std::size_t caret = type.find('^');
    return caret != std::string::npos && OriginGoes(kept, type.substr(caret + 1));
}

// The rows of `table` whose (`column`, type) pair goes.
SqlOutcome CutPermissions(SqliteDatabase& db, const std::string& table, const std::string& column,
                          const KeptSite& kept, std::int64_t& rows)
{
    const std::string ids = "sweepora_gone_" + table;
    if (SqlOutcome ok = db.Exec("CREATE TEMP TABLE " + ids + "(id INTEGER PRIMARY KEY)"); !ok) return ok;
    SqliteStatement read, pick;
    if (SqlOutcome ok = db.Prepare("SELECT rowid, " + column + ", type FROM main." + table, read); !ok) return ok;
    if (SqlOutcome ok = db.Prepare("INSERT INTO temp." + ids + "(id) VALUES (?1)", pick); !ok) return ok;
    while (read.Next()) {
        if (read.IsNull(1) || read.IsNull(2) || !PermissionGoes(kept, read.Text(1), read.Text(2))) continue;
        pick.Reset();
        pick.BindInt64(1, read.Int64(0));
        if (SqlOutcome ok = pick.Run(); !ok) return ok;
    }
    if (!read.Status()) return read.Status();
    return CountedExec(db, "DELETE FROM main." + table + " WHERE rowid IN (SELECT id FROM temp." + ids + ")", rows);
}

// When the user last used each site, which Firefox weighs before it lets an unused
// permission expire. A site that is not kept and holds no permission any more loses its
// record, as Firefox drops such orphans itself; one whose permission stays keeps it.
SqlOutcome CutInteractions(SqliteDatabase& db, const KeptSite& kept, std::int64_t& rows)
{
    if (SqlOutcome ok = db.Exec("CREATE TEMP TABLE sweepora_gone_interactions(origin TEXT PRIMARY KEY)"); !ok)
        return ok;
    SqliteStatement read, pick;
    if (SqlOutcome ok = db.Prepare("SELECT origin FROM main.moz_origin_interactions i WHERE origin IS NOT NULL AND "
                                   "NOT EXISTS (SELECT 1 FROM main.moz_perms p WHERE p.origin = i.origin OR "
                                   "substr(p.origin, 1, length(i.origin) + 1) = i.origin || '^')",
                                   read);
        !ok)
        return ok;
    if (SqlOutcome ok = db.Prepare("INSERT OR IGNORE INTO temp.sweepora_gone_interactions(origin) VALUES (?1)", pick);
        !ok)
        return ok;
    while (read.Next()) {
        if (!OriginGoes(kept, read.Text(0))) continue;
        pick.Reset();
        pick.BindText(1, read.Text(0));
        if (SqlOutcome ok = pick.Run(); !ok) return ok;
    }
    if (!read.Status()) return read.Status();
    return CountedExec(db,
                       "DELETE FROM main.moz_origin_interactions WHERE origin IN "
                       "(SELECT origin FROM temp.sweepora_gone_interactions)",
                       rows);
}

} // namespace

bool CleanFirefoxPermissions(EraseContext& context, const BrowserProfile& profile, const KeptSite& kept,
                             StoreOutcome& outcome)
{
    // moz_hosts is the layout of older versions, which Firefox still keeps beside the new one.
    static const std::vector<TableNeeds> needs = {{"moz_perms", {"origin", "type"}, true},
                                                  {"moz_hosts", {"host", "type"}},
                                                  {"moz_origin_interactions", {"origin"}}};
    return EditBrowserStore(
        context, profile, InProfile(profile.folder, L"permissions.sqlite"), "permissions.sqlite", needs, {},
        [&](SqliteDatabase& db, const StoreLayout& layout, std::int64_t& rows) -> SqlOutcome {
            if (SqlOutcome ok = CutPermissions(db, "moz_perms", "origin", kept, rows); !ok) return ok;
            if (layout.Has("moz_hosts"))
                if (SqlOutcome ok = CutPermissions(db, "moz_hosts", "host", kept, rows); !ok) return ok;
            if (!layout.Has("moz_origin_interactions")) return {};
            return CutInteractions(db, kept, rows);
        },
        outcome);
}

} // namespace sweepora
