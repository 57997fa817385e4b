#pragma once
// The storage a Firefox-family profile keeps per site, as part of "Clear Cookies": the
// folders of storage\default and storage\temporary, the older local storage databases,
// the quota manager's cache of origins and the service workers' registrations.
// storage\permanent (the browser's own and extensions' data) is never touched.
#include "browsers/BrowserSites.h"
#include "browsers/BrowserStore.h"

#include <string>
#include <vector>

namespace sweepora {

// One outcome per store found: "storage" (`rows`: site folders removed),
// "webappsstore.sqlite" and "ls-archive.sqlite" (rows removed), "storage.sqlite" (cached
// origins removed; the cache is then marked stale so that Firefox rebuilds it from the
// folders) and "serviceworker.txt" (registrations removed; the file is rewritten beside
// the old one and swapped in). Extensions' storage stays. A test run counts what the live
// run removes and changes nothing.
std::vector<StoreOutcome> CleanFirefoxSiteStorage(EraseContext& context, const BrowserProfile& profile,
                                                  const KeptSite& kept);

// "https", "www.bank.example" of a folder of storage\default ("https+++www.bank.example+8443^userContextId=1");
// false when the name is not an origin's.
bool ParseOriginFolder(const std::string& name, std::string& scheme, std::string& host);

// "https", "www.bank.example" of an originKey of webappsstore2 ("elpmaxe.knab.www.:https:443").
bool ParseOriginKey(const std::string& key, std::string& scheme, std::string& host);

} // namespace sweepora
