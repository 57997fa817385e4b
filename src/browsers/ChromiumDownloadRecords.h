#pragma once
// Chromium keeps its own record of every download in `shared_proto_db`, a LevelDB shared by
// several features, and rebuilds `History`'s download rows from it at its next start: a
// download taken from the history must go from there too, or it comes back.
#include "browsers/BrowserHistory.h"
#include "browsers/BrowserProfiles.h"
#include "browsers/BrowserStore.h"
#include "erasure/EraseContext.h"

#include <vector>

namespace sweepora {

// The `21_download,<guid>` entries of the profile's `shared_proto_db` whose addresses are
// none of them kept; the other features' entries, and a record with no address this can
// read, stay. One outcome "shared_proto_db downloads", none without the store; `rows`
// counts the records removed. The store is rewritten in place as the other LevelDB stores
// are. A test run counts and changes nothing.
std::vector<StoreOutcome> CleanChromiumDownloadRecords(EraseContext& context, const BrowserProfile& profile,
                                                       const KeptAddress& kept);

} // namespace sweepora
