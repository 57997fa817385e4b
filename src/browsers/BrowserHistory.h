#pragma once
// "Clear Browser History" on today's browsers: what goes of one profile's history, inside
// its databases and as whole files, keeping bookmarks and the addresses the user keeps.
#include "browsers/BrowserStore.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace sweepora {

// True for an address the user keeps ("IE History to Keep"): its rows stay.
using KeptAddress = std::function<bool(const std::string& url)>;

// The matcher for "IE History to Keep": an entry keeps the address itself, or, when it
// names only a site ("bank.example", "https://bank.example/"), every address of that site
// and its subdomains.
KeptAddress AddressesKept(const std::vector<std::string>& entries);

// One profile of the Chromium family: the history rows of `History` (addresses, visits,
// search terms, segments, clusters, and the downloads' records, though never the files they
// saved), the favicons of pages that are not
// bookmarked, and the files that are all history (`Visited Links`, `Top Sites`,
// `Shortcuts`, `Network Action Predictor`, `History Provider Cache`, `HistoryEmbeddings`,
// `DIPS`, `Sessions`, `Network Persistent State`, `TransportSecurity`,
// `BrowsingTopicsSiteData`, `Media History`), the files through the erasure library. A test run counts and
// changes nothing. The caller has made sure the browser does not hold the profile.
std::vector<StoreOutcome> CleanChromiumHistory(EraseContext& context, const BrowserProfile& profile,
                                               const KeptAddress& kept);

// One profile of the Firefox family: in `places.sqlite` every visit, input history, page
// metadata, download record and new tab page record, and the places that no bookmark or
// keyword points at (those that stay lose their history figures); in `favicons.sqlite` the
// pages that are not bookmarked; the sites' preferences in `content-prefs.sqlite` (see
// FirefoxContentPrefs.h); the session store and its backups, `SiteSecurityServiceState`
// and `AlternateServices` (.txt and .bin), `bounce-tracking-protection.sqlite`, the page
// previews, and the local thumbnails and jump-list cache as whole files.
std::vector<StoreOutcome> CleanFirefoxHistory(EraseContext& context, const BrowserProfile& profile,
                                              const KeptAddress& kept);

} // namespace sweepora
