#include "browsers/BrowserSites.h"

#include "formats/SqliteDatabase.h"
#include "platform/LongPath.h"
#include "platform/WideText.h"
#include "safelists/CookieLoader.h"

#include <algorithm>
#include <unordered_set>

namespace sweepora {

namespace {

// One database of a profile and the column of text wanted from it.
struct Source {
    BrowserFamily family;
    const wchar_t* file; // below the profile folder
    const char* query;
};

// Chromium moved its cookies into "Network"; a profile from before keeps them beside History.
const Source kCookieSources[] = {
    {BrowserFamily::Chromium, L"Network\\Cookies", "SELECT DISTINCT host_key FROM cookies"},
    {BrowserFamily::Chromium, L"Cookies", "SELECT DISTINCT host_key FROM cookies"},
    {BrowserFamily::Firefox, L"cookies.sqlite", "SELECT DISTINCT host FROM moz_cookies"},
};
// Firefox keeps places for bookmarks too: only visited ones are history.
const Source kHistorySources[] = {
    {BrowserFamily::Chromium, L"History", "SELECT url FROM urls"},
    {BrowserFamily::Firefox, L"places.sqlite",
     "SELECT url FROM moz_places p WHERE EXISTS (SELECT 1 FROM moz_historyvisits v WHERE v.place_id = p.id)"},
};
const Source kTypedSources[] = {
    {BrowserFamily::Chromium, L"History", "SELECT url FROM urls WHERE typed_count > 0"},
    {BrowserFamily::Firefox, L"places.sqlite", "SELECT url FROM moz_places WHERE typed = 1"},
};

// The first column of every row of `source` in the profile, all or nothing: a database that
// fails part way (locked, damaged) adds no rows and a line to `unread`. A missing file is quiet.
void ReadSource(const BrowserProfile& profile, const Source& source, std::vector<std::string>& out,
                std::vector<std::string>* unread)
{
    const std::wstring path = AddBackslashW(profile.folder) + source.file;
    const auto note = [&](const std::string& why) {
        if (unread)
            unread->push_back(std::string(BrowserOf(profile.browser).name) + " (" + profile.name + ") " +
                              Utf8FromWide(source.file) + ": " + why);
    };
    SqliteDatabase db;
    const SqlOutcome opened = db.OpenForReading(path);
    if (opened.problem == SqlProblem::Missing) return;
    if (!opened) return note(opened.reason);
    SqliteStatement rows;
    // A browser of another version may lack the table or column: said, not fatal.
    if (SqlOutcome ok = db.Prepare(source.query, rows); !ok) return note(ok.reason);
    std::vector<std::string> found;
    while (rows.Next())
        if (!rows.IsNull(0)) found.push_back(rows.Text(0));
    if (!rows.Status()) return note(rows.Status().reason);
    out.insert(out.end(), found.begin(), found.end());
}

template <std::size_t N>
std::vector<std::string> ReadAll(const BrowserRoots& roots, const Source (&sources)[N],
                                 std::vector<std::string>* unread)
{
    std::vector<std::string> texts;
    for (const BrowserProfile& profile : FindBrowserProfiles(roots))
        for (const Source& source : sources)
            if (BrowserOf(profile.browser).family == source.family) ReadSource(profile, source, texts, unread);
    return texts;
}

void SortUnique(std::vector<std::string>& texts)
{
    std::sort(texts.begin(), texts.end());
    texts.erase(std::unique(texts.begin(), texts.end()), texts.end());
}

// Each address once; one that cannot be a line of the list file is left out, and counted.
std::vector<std::string> ListableAddresses(std::vector<std::string> addresses, std::vector<std::string>* unread)
{
    const auto unfit = [](const std::string& a) {
        return a.empty() || a.size() > kLongestListedAddress ||
               a.find_first_of(std::string("\r\n\0", 3)) != std::string::npos;
    };
    const auto end = std::remove_if(addresses.begin(), addresses.end(), unfit);
    const std::size_t left = static_cast<std::size_t>(addresses.end() - end);
    addresses.erase(end, addresses.end());
    if (left > 0 && unread)
        unread->push_back(std::to_string(left) + (left == 1 ? " address" : " addresses") +
                          " not listed: too long or broken across lines");
    SortUnique(addresses);
    return addresses;
}

} // namespace

std::string SiteHost(const std::string& text) { return CookieSite(text); }

KeptSite SitesKept(const std::vector<std::string>& entries)
{
    // Asked once for every key of a site's storage: a host is looked up with each of its
    // parent domains, as SiteCovers matches them, rather than against every entry in turn.
    std::unordered_set<std::string> sites;
    for (const std::string& entry : entries)
        if (std::string site = CookieSite(entry); !site.empty()) sites.insert(std::move(site));
    return [sites](const std::string& host) {
        const std::string wanted = CookieSite(host);
        if (wanted.empty()) return false;
        for (std::size_t from = 0;;) {
            const auto found = sites.find(wanted.substr(from));
            if (found != sites.end() && SiteCovers(*found, wanted)) return true;
            const std::size_t dot = wanted.find('.', from);
            if (dot == std::string::npos) return false;
            from = dot + 1;
        }
    };
}

std::vector<std::string> BrowserCookieSites(const BrowserRoots& roots, std::vector<std::string>* unread)
{
    std::vector<std::string> sites;
    for (const std::string& host : ReadAll(roots, kCookieSources, unread))
        if (std::string site = CookieSite(host); !site.empty()) sites.push_back(std::move(site));
    SortUnique(sites);
    return sites;
}

std::vector<std::string> BrowserHistoryAddresses(const BrowserRoots& roots, std::vector<std::string>* unread)
{
    return ListableAddresses(ReadAll(roots, kHistorySources, unread), unread);
}

std::vector<std::string> BrowserTypedAddresses(const BrowserRoots& roots, std::vector<std::string>* unread)
{
    return ListableAddresses(ReadAll(roots, kTypedSources, unread), unread);
}

} // namespace sweepora
