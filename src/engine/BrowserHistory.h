#pragma once
// "Clear Browser History" on today's browsers: what goes of one profile's history, inside
// its databases and as whole files, keeping bookmarks and the addresses the user keeps.
#include "engine/BrowserProfiles.h"
#include "erasure/EraseContext.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace sweepora {

struct Session;

// True for an address the user keeps ("IE History to Keep"): its rows stay.
using KeptAddress = std::function<bool(const std::string& url)>;

// The store of the files that are all history; each file has its own line from the eraser.
constexpr const char* kHistoryFilesStore = "history files";

// What became of one store of a profile (a database, or a group of whole files).
struct StoreOutcome {
    std::string store;       // as the log names it: "History", "Favicons", "places.sqlite"
    std::int64_t rows = 0;   // rows removed (in a test run: that would be removed)
    std::string problem;     // why the store was left as it was, or what went wrong after its edit
    bool edited = false;     // the rows went even though `problem` says more
    std::string unknown;     // tables or columns of a newer browser left alone, for the log
};

// One profile of the Chromium family: the history rows of `History` (addresses, visits,
// search terms, segments, clusters; downloads stay), the favicons of pages that are not
// bookmarked, and the files that are all history (`Visited Links`, `Top Sites`,
// `Shortcuts`, `Network Action Predictor`, `History Provider Cache`, `HistoryEmbeddings`,
// `DIPS`, `Sessions`), the files through the erasure library. A test run counts and
// changes nothing. The caller has made sure the browser does not hold the profile.
std::vector<StoreOutcome> CleanChromiumHistory(EraseContext& context, const BrowserProfile& profile,
                                               const KeptAddress& kept);

// One profile of the Firefox family: in `places.sqlite` every visit, input history and
// page metadata, and the places that no bookmark points at; in `favicons.sqlite` the pages
// that are not bookmarked; the session store and its backups, `SiteSecurityServiceState.txt`,
// `AlternateServices.txt`, and the local thumbnails and jump-list cache as whole files.
std::vector<StoreOutcome> CleanFirefoxHistory(EraseContext& context, const BrowserProfile& profile,
                                              const KeptAddress& kept);

// The box itself, after Internet Explorer's history: every profile of every browser found
// under `roots`. A browser that runs, or holds a profile, is named once and its profiles are
// skipped; every store of every profile gets one line with what went, or why it stayed.
// Addresses on "IE History to Keep" stay in every browser.
void CleanBrowserHistory(Session& session, const BrowserRoots& roots, const ProcessSource& processes);
void CleanBrowserHistory(Session& session);

} // namespace sweepora
