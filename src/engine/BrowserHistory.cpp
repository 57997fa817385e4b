#include "engine/BrowserHistory.h"

#include "engine/Session.h"
#include "platform/Text.h"

#include <algorithm>
#include <set>

namespace sweepora {

namespace {

// "https://www.bank.example/login?x" -> "www.bank.example"
std::string HostOf(const std::string& url)
{
    const std::size_t scheme = url.find("://");
    const std::size_t start = scheme == std::string::npos ? 0 : scheme + 3;
    const std::size_t end = url.find_first_of("/?#:", start);
    return UpperCase(url.substr(start, end == std::string::npos ? std::string::npos : end - start));
}

// An entry of the list keeps the address itself, or, when it names only a site
// ("bank.example", "https://bank.example/"), every address of that site and its subdomains.
KeptAddress KeptBy(const std::vector<std::string>& entries)
{
    std::vector<std::string> addresses, sites;
    for (const std::string& entry : entries) {
        const std::string trimmed = TrimBlanks(entry);
        if (trimmed.empty()) continue;
        addresses.push_back(UpperCase(trimmed));
        const std::size_t scheme = trimmed.find("://");
        const std::size_t path = trimmed.find_first_of("/?#", scheme == std::string::npos ? 0 : scheme + 3);
        if (path == std::string::npos || path + 1 == trimmed.size()) sites.push_back(HostOf(trimmed));
    }
    return [addresses, sites](const std::string& url) {
        const std::string upper = UpperCase(url);
        if (std::find(addresses.begin(), addresses.end(), upper) != addresses.end()) return true;
        const std::string host = HostOf(url);
        for (const std::string& site : sites) {
            if (site.empty()) continue;
            if (host == site || (host.size() > site.size() && host.compare(host.size() - site.size(), site.size(), site) == 0 &&
                                 host[host.size() - site.size() - 1] == '.'))
                return true;
        }
        return false;
    };
}

std::string StatusOf(const StoreOutcome& o)
{
    // A store whose rows went but whose file could not be scrubbed says so itself.
    if (!o.problem.empty()) return o.edited ? o.problem : "Not cleaned: " + o.problem;
    if (o.store == kHistoryFilesStore) return "Cleared";
    std::string status = std::to_string(o.rows) + (o.rows == 1 ? " row removed" : " rows removed");
    if (!o.unknown.empty()) status += "; " + o.unknown;
    return status;
}

} // namespace

void CleanBrowserHistory(Session& s, const BrowserRoots& roots, const ProcessSource& processes)
{
    const KeptAddress kept = KeptBy(s.safeLists.history.safe.Items());
    const std::vector<BrowserId> running = RunningBrowsers(processes);
    std::set<BrowserId> named;
    EraseContext context = s.Erasure();
    for (const BrowserProfile& profile : FindBrowserProfiles(roots)) {
        if (s.run.abort) break;
        const Browser& browser = BrowserOf(profile.browser);
        const bool runs = std::find(running.begin(), running.end(), profile.browser) != running.end();
        const std::string held = runs ? BrowserRunningReason(profile.browser) : ProfileInUse(profile);
        if (!held.empty()) {
            // Nothing of a running browser's profiles is touched: its files are open.
            if (named.insert(profile.browser).second) s.log.AddLogEntry(browser.name, held);
            continue;
        }
        const std::vector<StoreOutcome> outcomes = browser.family == BrowserFamily::Chromium
                                                       ? CleanChromiumHistory(context, profile, kept)
                                                       : CleanFirefoxHistory(context, profile, kept);
        for (const StoreOutcome& o : outcomes)
            s.log.AddLogEntry(std::string(browser.name) + " (" + profile.name + ") " + o.store, StatusOf(o));
        s.host.YieldToQueue();
    }
}

void CleanBrowserHistory(Session& s)
{
    CleanBrowserHistory(s, CurrentBrowserRoots(), CurrentProcesses);
}

} // namespace sweepora
