#pragma once
#include "safelists/ListModel.h"

#include <string>
#include <utility>
#include <vector>

namespace sweepora {

constexpr const char* kSafeCookieFile = "SafeCookie.dat";
constexpr const char* kSafeHistoryFile = "SafeHistory.dat";
constexpr const char* kSafeUrlsFile = "SafeURLs.dat";

// What the next run removes (clean) and what it keeps (safe).
struct ListPair {
    ListModel clean;
    ListModel safe;
    // The safe list's file when it is there but its last read failed; empty otherwise.
    // Until it is read, no run may start and the list is not written over it.
    std::string unreadable;
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

// Fills the safe side of `page` from its file (see SafeListReadPath and LoadListFromFile) and
// notes whether that file could be read.
void LoadSafeSide(ListPair& page, const SafeListFolders& folders, const char* fileName, const YieldFn& yield);

// Reads once more each safe list whose file could not be read.
void RereadUnreadableLists(SafeListPages& pages, const YieldFn& yield);

// What stops a run while a safe list's file cannot be read; empty when all were read.
std::string UnreadableListsMessage(const SafeListPages& pages);

// Writes the three safe lists into their files in `folder`, each whole or not at all, except
// a list whose file could not be read. Returns the files left as they were.
std::vector<std::string> SaveSafeLists(const SafeListPages& pages, const std::string& folder);

} // namespace sweepora
