#pragma once
// What "Clear Browser History" takes of a Chromium-family browser beyond `History` and its
// companions: the search engines the browser added by itself from sites visited (in
// `Web Data`), and the addresses its on-device models keep (`segmentation_platform\ukm_db`
// in User Data, shared by the profiles).
#include "browsers/BrowserHistory.h"
#include "browsers/BrowserStore.h"

#include <functional>
#include <vector>

namespace sweepora {

// `Web Data`'s search engines that the browser added on its own when a site offered one:
// rows marked safe to replace automatically, neither prepopulated, nor a starter-pack
// keyword, nor set by policy or by an app, nor the default engine (as `Preferences` and
// `Web Data` name it), nor of an address `kept` keeps. The user's own engines (added or
// edited by hand, which clears the mark) stay. A `Preferences` file that cannot be read
// leaves `Web Data` alone with a reason: the default could not be told. One outcome
// "search engines in Web Data", none without the file.
std::vector<StoreOutcome> CleanChromiumSearchEngines(EraseContext& context, const BrowserProfile& profile,
                                                     const KeptAddress& kept);

// `segmentation_platform\ukm_db` of the profile's User Data: the addresses not kept and the
// metrics recorded for them. One outcome "segmentation_platform\ukm_db", none without it.
std::vector<StoreOutcome> CleanChromiumUkmDatabase(EraseContext& context, const BrowserProfile& profile,
                                                   const KeptAddress& kept);

// For one run over every profile: the history stores above, the User Data one only the
// first time a profile of that User Data comes by.
std::function<std::vector<StoreOutcome>(EraseContext&, const BrowserProfile&)>
ChromiumHistoryStoresRun(const KeptAddress& kept);

} // namespace sweepora
