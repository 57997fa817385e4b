#pragma once
// The SQLite stores a Chromium-family profile keeps per site besides its cookies, as part
// of "Clear Cookies": Private State Tokens (`Network\Trust Tokens`), the interest groups
// sites made it join (`InterestGroups`), Shared Storage (`SharedStorage`) and WebSQL
// (`databases`, its folder per site and the list of them in `Databases.db`).
#include "browsers/BrowserSites.h"
#include "browsers/BrowserStore.h"

#include <vector>

namespace sweepora {

// One outcome per store found; `rows` counts the rows removed (for WebSQL, the list's rows,
// each site's folder going first). A row goes when a site it names is a web site that
// `kept` does not keep: a token pair when either its issuer or its top-level site goes, an
// interest group when its owner or the site that made it join goes, with the group's join,
// bid and win counts. Extensions' rows and rows that name no site (hashes, server keys)
// stay; a WebSQL site whose folder cannot go keeps its rows. A test run counts and changes
// nothing. The caller has made sure the browser does not hold the profile.
std::vector<StoreOutcome> CleanChromiumSiteDatabases(EraseContext& context, const BrowserProfile& profile,
                                                     const KeptSite& kept);

} // namespace sweepora
