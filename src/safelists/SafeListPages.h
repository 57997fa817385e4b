#pragma once
#include "safelists/ListModel.h"

#include <string>
#include <utility>

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

// Where the safe lists are written and read back (`data`), and where a list that was never
// written there is read from the first time (`starting`: the files shipped beside the program).
struct SafeListFolders {
    // One folder for both, as a copy that keeps its data beside itself has it.
    SafeListFolders(const std::string& folder) : data(folder), starting(folder) {}
    SafeListFolders(std::string dataFolder, std::string startingFolder)
        : data(std::move(dataFolder)), starting(std::move(startingFolder))
    {
    }
    std::string data;
    std::string starting;
};

// The file a list is read from: its own in the data folder once there is one, else the starting one.
std::string SafeListReadPath(const SafeListFolders& folders, const char* fileName);

// Writes the three safe lists into their files in `folder`.
void SaveSafeLists(const SafeListPages& pages, const std::string& folder);

} // namespace sweepora
