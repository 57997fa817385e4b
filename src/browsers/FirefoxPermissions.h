#pragma once
// permissions.sqlite of a Firefox-family profile, as part of "Clear Cookies": the
// permissions Firefox grants by itself when a site is used go with that site's cookies;
// those the user gave (cookie exceptions, camera, notifications, pop-ups and the rest)
// always stay.
#include "browsers/BrowserSites.h"
#include "browsers/BrowserStore.h"

namespace sweepora {

// Removes the automatic permissions of sites `kept` does not keep: "storageAccessAPI" (the
// record that the user interacted with a site) and the storage access one site was granted
// under another ("3rdPartyStorage^<site>", "3rdPartyFrameStorage^<site>"), which stays only
// when both sites are kept. `outcome` counts rows removed; false when the profile has no
// such file. A test run counts what the live run removes and changes nothing.
bool CleanFirefoxPermissions(EraseContext& context, const BrowserProfile& profile, const KeptSite& kept,
                             StoreOutcome& outcome);

} // namespace sweepora
