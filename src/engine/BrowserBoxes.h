#pragma once
// The Cleaning tab's browser boxes on today's browsers: each runs over every profile of
// every browser found, one log line per profile and store.
#include "browsers/BrowserProfiles.h"
#include "browsers/BrowserStore.h"

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

// Runs `clean` on every profile and logs each store as "<browser> (<profile>) <store>",
// adding it to the session's store reports under `box`.
// A browser that runs, or holds a profile, is named once and its profiles are skipped,
// unless `whileRunning`: then its files go where they can, each refusal on its own line.
void CleanEveryProfile(Session& session, const char* box, const BrowserScope& scope, const ProfileCleaner& clean,
                       bool whileRunning = false);

// "Clear Browser History": addresses on "IE History to Keep" stay in every browser; a
// Chromium profile's settings lose their lists of visited sites too.
void CleanBrowserHistory(Session& session, const BrowserScope& scope);
void CleanBrowserHistory(Session& session);
// "Clear Cookies": the sites on "Cookies to Keep" keep their cookies and storage.
void CleanBrowserCookies(Session& session, const BrowserScope& scope);
void CleanBrowserCookies(Session& session);
// "Clear Cache (Temporary Internet Files)": also while a browser runs.
void CleanBrowserCaches(Session& session, const BrowserScope& scope);
void CleanBrowserCaches(Session& session);
// "Clear Typed URL History": addresses on "Typed URLs to Keep" stay typed.
void CleanBrowserTypedUrls(Session& session, const BrowserScope& scope);
void CleanBrowserTypedUrls(Session& session);
// "Clear AutoComplete Forms Data": what was typed into web forms.
void CleanBrowserForms(Session& session, const BrowserScope& scope);
void CleanBrowserForms(Session& session);

} // namespace sweepora
