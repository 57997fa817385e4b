#pragma once
// content-prefs.sqlite of a Firefox-family profile, as part of "Clear Browser History": the
// preferences Firefox keeps per site (zoom, spelling language, the last folder of an upload
// or a download) name the sites visited. Global preferences stay.
#include "browsers/BrowserHistory.h"
#include "browsers/BrowserStore.h"

namespace sweepora {

// Removes the sites' groups and their preferences, except those of sites `kept` keeps (a
// group is a host, kept when its root address is) and groups that are not web sites.
// `outcome` counts rows removed; false when the profile has no such file. A test run counts
// what the live run removes and changes nothing.
bool CleanFirefoxContentPrefs(EraseContext& context, const BrowserProfile& profile, const KeptAddress& kept,
                              StoreOutcome& outcome);

} // namespace sweepora
