#include "engine/BrowserBoxes.h"

#include "browsers/BrowserCaches.h"
#include "browsers/BrowserCookies.h"
#include "browsers/BrowserForms.h"
#include "browsers/BrowserHistory.h"
#include "browsers/BrowserSites.h"
#include "browsers/BrowserTypedUrls.h"
#include "browsers/ChromiumHistoryStores.h"
#include "browsers/ChromiumPreferences.h"
#include "browsers/ChromiumWebStorage.h"
#include "engine/Session.h"

#include <windows.h>

#include <algorithm>
#include <iterator>
#include <set>
#include <string>

namespace sweepora {

BrowserScope CurrentBrowserScope() { return {CurrentBrowserRoots(), CurrentProcesses}; }

void CleanEveryProfile(Session& s, const char* box, const BrowserScope& scope, const ProfileCleaner& clean,
                       bool whileRunning)
{
    const std::vector<BrowserId> running = RunningBrowsers(scope.processes);
    std::set<BrowserId> named;
    EraseContext context = s.Erasure();
    for (const BrowserProfile& profile : FindBrowserProfiles(scope.roots)) {
        if (s.run.abort) break;
        const Browser& browser = BrowserOf(profile.browser);
        if (!whileRunning) {
            const bool runs = std::find(running.begin(), running.end(), profile.browser) != running.end();
            const std::string held = runs ? BrowserRunningReason(profile.browser) : ProfileInUse(profile);
            if (!held.empty()) {
                // Nothing of a running browser's databases is touched: it has them open.
                if (named.insert(profile.browser).second) s.log.AddLogEntry(browser.name, held);
                continue;
            }
        }
        for (const StoreOutcome& o : clean(context, profile)) {
            const std::string status = StoreStatus(o);
            s.log.AddLogEntry(std::string(browser.name) + " (" + profile.name + ") " + o.store, status);
            s.storeReports.push_back({box, browser.name, profile.name, o.store, o.rows, status});
        }
        s.host.YieldToQueue();
    }
}

namespace {

bool Chromium(const BrowserProfile& profile) { return BrowserOf(profile.browser).family == BrowserFamily::Chromium; }

void Append(std::vector<StoreOutcome>& to, std::vector<StoreOutcome> more)
{
    to.insert(to.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
}

} // namespace

void CleanBrowserHistory(Session& s, const BrowserScope& scope)
{
    const KeptAddress kept = AddressesKept(s.safeLists.history.safe.Items());
    const auto moreStores = ChromiumHistoryStoresRun(kept);
    CleanEveryProfile(s, "history", scope, [&](EraseContext& context, const BrowserProfile& profile) {
        if (!Chromium(profile)) return CleanFirefoxHistory(context, profile, kept);
        std::vector<StoreOutcome> outcomes = CleanChromiumHistory(context, profile, kept);
        if (!context.run.abort &&
            ::GetFileAttributesW(InProfile(profile.folder, L"Preferences").c_str()) != INVALID_FILE_ATTRIBUTES)
            outcomes.push_back(CleanChromiumPreferences(context, profile, kept));
        if (!context.run.abort) Append(outcomes, moreStores(context, profile));
        return outcomes;
    });
}

void CleanBrowserCookies(Session& s, const BrowserScope& scope)
{
    const KeptSite kept = SitesKept(s.safeLists.cookies.safe.Items());
    CleanEveryProfile(s, "cookies", scope, [&](EraseContext& context, const BrowserProfile& profile) {
        if (!Chromium(profile)) return CleanFirefoxCookies(context, profile, kept);
        std::vector<StoreOutcome> outcomes = CleanChromiumCookies(context, profile, kept);
        if (!context.run.abort) Append(outcomes, CleanChromiumWebStorage(context, profile, kept));
        return outcomes;
    });
}

void CleanBrowserCaches(Session& s, const BrowserScope& scope)
{
    CleanEveryProfile(s, "cache", scope, BrowserCacheRun(), true);
}

void CleanBrowserTypedUrls(Session& s, const BrowserScope& scope)
{
    KeptAddress kept = AddressesKept(s.safeLists.typedUrls.safe.Items());
    if (s.settings.NetHistory == "1") {
        // The history box came first in this run and took every address it does not keep; a
        // preview, which left them, must not count them again here.
        const KeptAddress history = AddressesKept(s.safeLists.history.safe.Items());
        kept = [typed = kept, history](const std::string& url) { return typed(url) || !history(url); };
    }
    CleanEveryProfile(s, "typed addresses", scope, [&](EraseContext& context, const BrowserProfile& profile) {
        std::vector<StoreOutcome> outcomes = CleanBrowserTypedUrls(context, profile, kept);
        // History's own box edits the same files: the line says which box this was.
        for (StoreOutcome& o : outcomes) o.store = "typed addresses in " + o.store;
        return outcomes;
    });
}

void CleanBrowserForms(Session& s, const BrowserScope& scope)
{
    CleanEveryProfile(s, "forms", scope, [](EraseContext& context, const BrowserProfile& profile) {
        return CleanBrowserForms(context, profile);
    });
}

void CleanBrowserHistory(Session& s) { CleanBrowserHistory(s, CurrentBrowserScope()); }
void CleanBrowserCookies(Session& s) { CleanBrowserCookies(s, CurrentBrowserScope()); }
void CleanBrowserCaches(Session& s) { CleanBrowserCaches(s, CurrentBrowserScope()); }
void CleanBrowserTypedUrls(Session& s) { CleanBrowserTypedUrls(s, CurrentBrowserScope()); }
void CleanBrowserForms(Session& s) { CleanBrowserForms(s, CurrentBrowserScope()); }

} // namespace sweepora
