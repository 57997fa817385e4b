#pragma once
#include "engine/Session.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace sweepora {

using Cleaner = std::function<void(Session&)>;

// One category of the run: its flag in "EraseSettings" and its cleaner.
struct RunRow {
    int number;
    std::string AppSettings::*flag; // nullptr: runs every time, without the abort test
    Cleaner clean;                  // empty: the category has no cleaner
};

using RunTable = std::vector<RunRow>;

// What the standard table calls, one procedure per step; tests put recorders in their place.
struct RunCleaners {
    Cleaner runHistory, findHistory, ieHistory, netscapeHistory, browserHistory, autoCompleteForms, browserForms,
        cookies, netscapeCache, browserCookies, loadCookies, cacheFiles, browserCaches, visitedUrls, typedUrls,
        browserTypedUrls, netscapeMail, clipboard, customDirs, recycleBin, recentDocs, windowsTemp, plugins, indexDat;
};

const RunCleaners& StandardCleaners();
// The categories in the order the run takes them, calling `cleaners`.
RunTable MakeRunTable(const RunCleaners& cleaners);
const RunTable& StandardRunTable();

// Refused: a safe list's file is there but could not be read; nothing ran.
enum class RunOutcome { Completed, Aborted, Ignored, Refused };

constexpr const char* kSafeListsTask = "Safe lists";

// One synchronous pass over every enabled category, then the summary line.
// A request while a run is in progress is ignored. A safe list whose file could not be read
// is read once more; when it still cannot be, the run is refused with a log line per file
// (UnreadableListsMessage says it in full) and nothing is erased.
RunOutcome RunCleaning(Session& session, const RunTable& table = StandardRunTable());

// "0:<minutes>:<seconds>", minutes not folded into hours.
std::string TimeText(long long elapsedSeconds);
// Bytes to whole megabytes: 4 decimals first, then ties to even; never negative.
long long MegabytesFreed(std::int64_t bytes);
// Files deleted without overwrite passes are named beside the files, only when there are some.
std::string SummaryLine(std::int64_t bytes, std::int64_t files, std::int64_t registryKeys,
                        long long elapsedSeconds, std::int64_t filesNotOverwritten = 0);

constexpr const char* kAbortedByUser = "*****Aborted by user*******";

} // namespace sweepora
