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

} // namespace

bool CleanFirefoxPermissions(EraseContext& context, const BrowserProfile& profile, const KeptSite& kept,
                             StoreOutcome& outcome)
{
    // moz_hosts is the layout of older versions, which Firefox still keeps beside the new one.
    static const std::vector<TableNeeds> needs = {{"moz_perms", {"origin", "type"}, true},
                                                  {"moz_hosts", {"host", "type"}}};
    return EditBrowserStore(
        context, profile, InProfile(profile.folder, L"permissions.sqlite"), "permissions.sqlite", needs, {},
        [&](SqliteDatabase& db, const StoreLayout& layout, std::int64_t& rows) -> SqlOutcome {
            if (SqlOutcome ok = CutPermissions(db, "moz_perms", "origin", kept, rows); !ok) return ok;
            if (!layout.Has("moz_hosts")) return {};
            return CutPermissions(db, "moz_hosts", "host", kept, rows);
        },
        outcome);
}

} // namespace sweepora
