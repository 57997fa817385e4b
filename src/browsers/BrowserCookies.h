#pragma once
// "Clear Cookies" on today's browsers: the cookies of every site the user does not keep,
// and that site's storage, go from one profile; the kept sites (and their subdomains) keep
// both. Passwords, certificates, bookmarks, extensions and their data, the site permissions
// the user gave and the browser's settings are never touched.
#include "browsers/BrowserSites.h"
#include "browsers/BrowserStore.h"

#include <vector>

namespace sweepora {

// One profile of the Chromium family: the rows of `Network\Cookies` and the older
// `Cookies` whose host is not kept, `Reporting and NEL` of those hosts, and the sites'
// IndexedDB, File System and storage-bucket folders (see ChromiumSiteStorage.h). For a
// database `rows` counts rows removed, for folders the sites' folders removed. Local
// Storage, Session Storage and service workers are CleanChromiumWebStorage's. A test run
// counts what the live run removes and changes nothing. The caller has made sure the
// browser does not hold the profile.
std::vector<StoreOutcome> CleanChromiumCookies(EraseContext& context, const BrowserProfile& profile,
                                               const KeptSite& kept);

// One profile of the Firefox family: the rows of `cookies.sqlite` whose host is not kept,
// the permissions Firefox granted those sites by itself (see FirefoxPermissions.h), and the
// sites' storage (see FirefoxSiteStorage.h).
std::vector<StoreOutcome> CleanFirefoxCookies(EraseContext& context, const BrowserProfile& profile,
                                              const KeptSite& kept);

} // namespace sweepora
