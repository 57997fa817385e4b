#include "browsers/FirefoxContentPrefs.h"

#include "browsers/BrowserSites.h"

#include <algorithm>
#include <cctype>

namespace sweepora {

namespace {

// The host of a group's name: "www.bank.example" of itself, of "https://www.bank.example" or
// of "blob:https://www.bank.example/4f2..."; empty for a group that is no web site
// ("file:///C:/page.html", "blob:resource://pdf.js/...").
std::string GroupHost(const std::string& group)
{
    std::string name = group;
    if (name.compare(0, 5, "blob:") == 0) name.erase(0, 5);
    const std::size_t scheme = name.find("://");
    if (scheme == std::string::npos)
        // Firefox names a site's group by its host alone; anything with a path or a scheme
        // of its own is not one.
        return name.find_first_of("/\\:") == std::string::npos ? SiteHost(name) : std::string();
    std::string lower = name.substr(0, scheme);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower == "http" || lower == "https" ? SiteHost(name) : std::string();
}

} // namespace

bool CleanFirefoxContentPrefs(EraseContext& context, const BrowserProfile& profile, const KeptAddress& kept,
                              StoreOutcome& outcome)
{
    static const std::vector<TableNeeds> needs = {{"groups", {"id", "name"}, true},
                                                  {"prefs", {"groupid"}, true}};
    return EditBrowserStore(
        context, profile, InProfile(profile.folder, L"content-prefs.sqlite"), "content-prefs.sqlite", needs,
        {"settings"},
        [&](SqliteDatabase& db, const StoreLayout&, std::int64_t& rows) -> SqlOutcome {
            if (SqlOutcome ok = PickIds(db, "sweepora_gone_groups", "SELECT id, name FROM main.groups",
                                        [&](const std::string& name) {
                                            const std::string host = GroupHost(name);
                                            if (host.empty()) return false;
                                            return !(kept && (kept("https://" + host + "/") ||
                                                              kept("http://" + host + "/")));
                                        });
                !ok)
                return ok;
            const std::string gone = " IN (SELECT id FROM temp.sweepora_gone_groups)";
            if (SqlOutcome ok = CountedExec(db, "DELETE FROM main.prefs WHERE groupID" + gone, rows); !ok) return ok;
            return CountedExec(db, "DELETE FROM main.groups WHERE id" + gone, rows);
        },
        outcome);
}

} // namespace sweepora
