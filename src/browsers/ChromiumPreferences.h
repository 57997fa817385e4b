#pragma once
// The lists of visited sites a Chromium-family profile keeps in its `Preferences` file, part
// of "Clear Browser History". Everything else in the file is the user's settings and stays.
#include "browsers/BrowserHistory.h"
#include "browsers/BrowserStore.h"

#include <string>
#include <vector>

namespace sweepora {

// The dotted paths of the lists that go: each site's engagement and media engagement
// scores, the omnibox's cached zero-suggest answers (by page address, or whole), and the
// zoom set on each site (by host, in every storage partition).
const std::vector<std::string>& PreferencesVisitLists();

// Removes from `Preferences` the entries of those lists whose site or address `kept` does
// not keep. A list the browser guards with a MAC (a `protection.macs` entry in
// `Preferences` or `Secure Preferences`) stays whole and `unknown` names it. A file that is
// not JSON, is too large, or whose guard file cannot be read is left as it was with a
// reason. The other bytes of the file stay exactly as they were: entries are cut out of the
// text, never rewritten. The new file replaces the old one through the erasure library,
// which erases the old bytes. A test run counts and writes nothing. `rows` = entries
// removed; a profile without the file reports none. The browser must not hold the profile.
StoreOutcome CleanChromiumPreferences(EraseContext& context, const BrowserProfile& profile, const KeptAddress& kept);

} // namespace sweepora
