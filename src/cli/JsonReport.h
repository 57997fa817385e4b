#pragma once
#include "engine/ActivityLog.h"
#include "engine/Session.h"

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace sweepora {

// Where the run stands: "running" is written at its start, so a run that was killed leaves it.
enum class JsonOutcome { Running, Completed, Aborted, Failed, Refused };

// "running", "completed", "aborted", "failed", "refused".
const char* JsonOutcomeText(JsonOutcome outcome);

// The outcome an ended run's exit status stands for: 0 completed, 1 aborted, 4 refused (a safe
// list could not be read), anything else failed.
JsonOutcome OutcomeOfExitCode(int exitCode);

// The facts of one console run that a management tool collects beside its log.
struct JsonRunFacts {
    std::string version; // "2.0.0"; empty when the program carries no version
    std::string machine;
    std::string user;
    bool live = false;
    std::time_t started = 0; // UTC seconds
    std::time_t finished = 0; // written as null while running
    JsonOutcome outcome = JsonOutcome::Running;
    bool aborted = false;
    int exitCode = 0;
    std::int64_t bytesFreed = 0;
    std::int64_t files = 0;
    std::int64_t filesNotOverwritten = 0; // of `files`, deleted without passes
    std::int64_t registryKeys = 0;
    std::vector<StoreReport> stores; // the browsers' stores, as logged
};

// The facts of the run `session` has just made, which began at `started`, with this
// program's version, this machine's and this user's names, and now as its end.
// The outcome follows the exit status.
JsonRunFacts FinishedRunFacts(const Session& session, std::time_t started, bool aborted, int exitCode);

// The facts of a run that begins at `started`: the names and the mode, every figure zero.
JsonRunFacts StartedRunFacts(const Session& session, std::time_t started);

// "2026-12-07T20:41:05Z".
std::string IsoUtcText(std::time_t at);

// The document: the facts, a summary whose seconds are finished minus started, the browsers'
// stores with their counts, and every log line as {"task", "status"} untouched. Text that is not valid UTF-8 gets U+FFFD in its place.
std::string FormatJsonReport(const JsonRunFacts& facts, const std::vector<LogLine>& lines);

// Writes the document to `path` (UTF-8, no byte-order mark), replacing any file there in one
// move, so a reader sees the old document or the new one. False when it could not be
// written; the old file then stays.
bool WriteJsonReport(const std::string& path, const JsonRunFacts& facts, const std::vector<LogLine>& lines);

} // namespace sweepora
