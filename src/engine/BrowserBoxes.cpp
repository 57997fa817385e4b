#include "engine/BrowserBoxes.h"

#include "engine/BrowserHistory.h"
#include "engine/Session.h"

#include <algorithm>
#include <set>
#include <string>

namespace sweepora {

BrowserScope CurrentBrowserScope() { return {CurrentBrowserRoots(), CurrentProcesses}; }

void CleanEveryProfile(Session& s, const BrowserScope& scope, const ProfileCleaner& clean, bool whileRunning)
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
        for (const StoreOutcome& o : clean(context, profile))
            s.log.AddLogEntry(std::string(browser.name) + " (" + profile.name + ") " + o.store, StoreStatus(o));
        s.host.YieldToQueue();
    }
}

void CleanBrowserHistory(Session& s, const BrowserScope& scope)
{
    const KeptAddress kept = AddressesKept(s.safeLists.history.safe.Items());
    CleanEveryProfile(s, scope, [&](EraseContext& context, const BrowserProfile& profile) {
        return BrowserOf(profile.browser).family == BrowserFamily::Chromium
                   ? CleanChromiumHistory(context, profile, kept)
                   : CleanFirefoxHistory(context, profile, kept);
    });
}

void CleanBrowserHistory(Session& s) { CleanBrowserHistory(s, CurrentBrowserScope()); }

} // namespace sweepora
