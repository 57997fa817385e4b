#pragma once
// "Clear Typed URL History" on today's browsers: the fact that an address was typed into
// the address bar, and what was typed there, except for the addresses the user keeps.
#include "browsers/BrowserHistory.h"
#include "browsers/BrowserStore.h"

#include <vector>

namespace sweepora {

// One profile. The Chromium family: in `History`, `urls.typed_count` goes to 0, typed visits
// become followed links and no visit keeps the mark of the address bar, so that the browser
// cannot count the typing again (the addresses stay as history, which has a box of its own);
// the `keyword_search_terms` rows go; in `Shortcuts`, the `omni_box_shortcuts` rows (the text
// typed and the address it led to). The Firefox family: in `places.sqlite`, the
// `moz_inputhistory` rows, `moz_places.typed` and typed visits likewise. Rows of addresses
// `kept` keeps stay as they are; `rows` counts rows removed or changed. A test run counts
// and changes nothing. The caller has made sure the browser does not hold the profile.
std::vector<StoreOutcome> CleanBrowserTypedUrls(EraseContext& context, const BrowserProfile& profile,
                                                const KeptAddress& kept);

} // namespace sweepora
