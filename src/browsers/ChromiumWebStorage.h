#pragma once
// The site storage a Chromium-family profile keeps in LevelDB databases shared by every
// site: Local Storage, Session Storage and the service workers' registrations, with the
// Cache Storage folders and script cache entries that belong to those registrations.
// Cleaned with the cookies ("Clear Cookies"): what belongs to a site that is not kept
// goes; the kept sites' entries stay byte for byte.
#include "browsers/BrowserHistory.h"
#include "browsers/BrowserProfiles.h"
#include "browsers/BrowserSites.h"
#include "erasure/EraseContext.h"

#include <vector>

namespace sweepora {

// One outcome per store found ("Local Storage", "Session Storage", "Service Worker",
// "Cache Storage"); `rows` counts the sites (origins, each partition on its own) whose
// entries go, or for Cache Storage the origins' folders. A database is rewritten whole
// beside the old one and swapped in, and the old one is erased through the erasure
// library; one that is locked, damaged or unknown is left exactly as it was with a
// reason. Extension origins always stay, and so do keys this does not know. A test run
// counts what the live run would remove and changes nothing. The caller has made sure
// the browser does not hold the profile.
std::vector<StoreOutcome> CleanChromiumWebStorage(EraseContext& context, const BrowserProfile& profile,
                                                  const KeptSite& kept);

} // namespace sweepora
