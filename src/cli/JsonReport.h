#pragma once
#include "engine/ActivityLog.h"
#include "engine/Session.h"

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace sweepora {

// The facts of one console run that a management tool collects beside its log.
struct JsonRunFacts {
    std::string version; // "2.0.0"; empty when the program carries no version
    std::string machine;
    std::string user;
    bool live = false;
    std::time_t started = 0; // UTC seconds
    std::time_t finished = 0;
    bool aborted = false;
    int exitCode = 0;
    std::int64_t bytesFreed = 0;
    std::int64_t files = 0;
    std::int64_t registryKeys = 0;
    std::vector<StoreReport> stores; // the browsers' stores, as logged
};

// The facts of the run `session` has just made, which began at `started`, with this
// program's version, this machine's and this user's names, and now as its end.
JsonRunFacts FinishedRunFacts(const Session& session, std::time_t started, bool aborted, int exitCode);

// "2026-12-07T20:41:05Z".
std::string IsoUtcText(std::time_t at);

// The document: the facts, a summary whose seconds are finished minus started, the browsers'
// stores with their counts, and every log line as {"task", "status"} untouched. Text that is not valid UTF-8 gets U+FFFD in its place.
std::string FormatJsonReport(const JsonRunFacts& facts, const std::vector<LogLine>& lines);

// Writes the document to `path` (UTF-8, no byte-order mark), replacing any file there.
// False when it could not be written.
bool WriteJsonReport(const std::string& path, const JsonRunFacts& facts, const std::vector<LogLine>& lines);

} // namespace sweepora
