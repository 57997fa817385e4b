#pragma once
// The Cleaning tab's browser boxes on today's browsers: each runs over every profile of
// every browser found, one log line per profile and store.
#include "engine/BrowserProfiles.h"
#include "engine/BrowserStore.h"

#include <functional>
#include <vector>

namespace sweepora {

struct Session;

// Where the browsers' profiles are looked for and how their processes are listed; tests
// point both elsewhere.
struct BrowserScope {
    BrowserRoots roots;
    ProcessSource processes;
};
BrowserScope CurrentBrowserScope();

using ProfileCleaner = std::function<std::vector<StoreOutcome>(EraseContext&, const BrowserProfile&)>;

// Runs `clean` on every profile and logs each store as "<browser> (<profile>) <store>".
// A browser that runs, or holds a profile, is named once and its profiles are skipped,
// unless `whileRunning`: then its files go where they can, each refusal on its own line.
void CleanEveryProfile(Session& session, const BrowserScope& scope, const ProfileCleaner& clean,
                       bool whileRunning = false);

// "Clear Browser History": addresses on "IE History to Keep" stay in every browser.
void CleanBrowserHistory(Session& session, const BrowserScope& scope);
void CleanBrowserHistory(Session& session);

} // namespace sweepora
