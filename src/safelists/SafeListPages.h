#pragma once
#include "safelists/ListModel.h"

#include <string>

namespace sweepora {

constexpr const char* kSafeCookieFile = "SafeCookie.dat";
constexpr const char* kSafeHistoryFile = "SafeHistory.dat";
constexpr const char* kSafeUrlsFile = "SafeURLs.dat";

// What the next run removes (clean) and what it keeps (safe).
struct ListPair {
    ListModel clean;
    ListModel safe;
};

// The three pages: cookies, typed URLs and IE history to keep.
struct SafeListPages {
    ListPair cookies;
    ListPair typedUrls;
    ListPair history;
};

// The safe-list file `fileName` in `folder`.
std::string SafeListPath(const std::string& folder, const char* fileName);

// Writes the three safe lists into their files in `folder`.
void SaveSafeLists(const SafeListPages& pages, const std::string& folder);

} // namespace sweepora
