#pragma once
// The storage a Chromium-family profile keeps in a folder per site, as part of "Clear
// Cookies": IndexedDB, File System and the storage buckets of newer builds. Local Storage,
// Session Storage and the service workers are ChromiumWebStorage's.
#include "browsers/BrowserSites.h"
#include "browsers/BrowserStore.h"

#include <vector>

namespace sweepora {

// One outcome per store found: "IndexedDB" (`rows`: site folders removed, the database
// and its blob folder each counted), "File System" (sites whose folder went, the index
// of origins rewritten without them) and "WebStorage" (storage buckets of sites whose
// folder went or had none, their rows gone from QuotaManager). Extensions' storage and
// origins that are not web sites stay; so does whatever cannot be told apart. A test run
// counts what the live run removes and changes nothing.
std::vector<StoreOutcome> CleanChromiumSiteStorage(EraseContext& context, const BrowserProfile& profile,
                                                   const KeptSite& kept);

} // namespace sweepora
