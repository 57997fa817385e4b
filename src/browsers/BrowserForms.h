#pragma once
// "Clear AutoComplete Forms Data" on today's browsers: what was typed into web forms.
#include "browsers/BrowserStore.h"

#include <set>
#include <string>
#include <vector>

namespace sweepora {

// The tables of Chromium's `Web Data` that hold the user's saved data other than form
// entries (addresses, cards, search engines, tokens), in the names of Chromium 156 and before.
const std::set<std::string>& KnownWebDataTables();

// The sync type under which Chromium keeps the metadata of autocomplete entries (the field
// number of its autofill specifics); those rows name each entry's field and value.
constexpr int kChromiumAutocompleteSyncType = 31729;

// One profile's form entries. The Chromium family: `Web Data`'s `autofill` and
// `autocomplete` rows and their sync metadata; saved addresses, payment cards, search
// engines and tokens stay. The Firefox family: `formhistory.sqlite`'s entries and their
// sources. Each database through EditBrowserStore; a test run counts and changes nothing.
// The caller has made sure the browser does not hold the profile.
std::vector<StoreOutcome> CleanBrowserForms(EraseContext& context, const BrowserProfile& profile);

} // namespace sweepora
