#pragma once
// "Clear Cache (Temporary Internet Files)" on today's browsers: every cache of a profile goes
// as whole files through the erasure library, also while the browser runs.
#include "browsers/BrowserStore.h"

#include <functional>
#include <string>
#include <vector>

namespace sweepora {

// The cache folders of one profile, relative to its folder (the Chromium family) or its
// local folder (the Firefox family).
const std::vector<std::wstring>& ProfileCacheFolders(BrowserFamily family);
// The cache folders a Chromium-family browser shares between its profiles, in "User Data".
const std::vector<std::wstring>& SharedCacheFolders();

// The files of every cache of one profile. A file the browser holds gets its own line from
// the eraser and stays; the rest go. While the browser holds the profile, the caches'
// index files (`index`, `index-dir\the-real-index`, Firefox's `index.log`) stay: they hold
// hashes of addresses, not addresses, and the running browser rewrites them from memory
// anyway, so erasing them would only leave it an index that disagrees with its folder.
// One WholeFiles("cache") outcome; none when the profile has no cache folder. A site's
// service-worker caches are its storage, which "Clear Cookies" keeps for the kept sites.
std::vector<StoreOutcome> CleanBrowserCaches(EraseContext& context, const BrowserProfile& profile);

// The shared caches of the profile's "User Data" (GPU shader caches), with the same rule
// for a running browser. One WholeFiles("shared cache") outcome for the Chromium family,
// none for the Firefox family. Call it once per data folder, not once per profile.
std::vector<StoreOutcome> CleanSharedBrowserCaches(EraseContext& context, const BrowserProfile& profile);

// For one run over every profile: each profile's caches, and the shared caches of its data
// folder the first time a profile of that folder comes by.
std::function<std::vector<StoreOutcome>(EraseContext&, const BrowserProfile&)> BrowserCacheRun();

} // namespace sweepora
