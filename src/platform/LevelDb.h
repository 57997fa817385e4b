#pragma once
// Chromium keeps web storage in LevelDB databases shared by all sites. This reads a
// database folder's live entries and writes a fresh database that LevelDB opens as its
// own, with no LevelDB code: reading never changes a file, and refuses a folder held by a
// running program, one sorted by another comparator, and anything damaged or too large.
// Nothing here throws; every failure comes back as text.
#include <string>
#include <utility>
#include <vector>

namespace sweepora {

enum class LevelDbProblem {
    None,
    Missing,     // no database in the folder (no CURRENT)
    Locked,      // another program holds the database's LOCK
    Unsupported, // a comparator or compression this does not know
    Corrupt,     // a bad checksum, a truncated or malformed file
    TooLarge,    // over the bounds kept in memory
    Failed,      // anything else: a file that cannot be read or written
};

struct LevelDbOutcome {
    LevelDbProblem problem = LevelDbProblem::None;
    std::string reason; // empty when all went well

    bool Ok() const { return problem == LevelDbProblem::None; }
    explicit operator bool() const { return Ok(); }
    static LevelDbOutcome Fail(LevelDbProblem problem, std::string reason) { return {problem, std::move(reason)}; }
};

struct LevelDbEntry {
    std::string key;
    std::string value;
};

// The comparator this reads and writes; LevelDB refuses a database made with another.
constexpr const char* kLevelDbComparator = "leveldb.BytewiseComparator";

// The live entries of the database in `folder` ("\\?\" path), sorted by key: the tables the
// manifest names and the logs not yet folded into them, the newest write of each key
// winning and deletions removing. Every checksum is verified. The folder's LOCK is held
// for the read, so a database a program has open is refused rather than read half-written.
LevelDbOutcome ReadLevelDb(const std::wstring& folder, std::vector<LevelDbEntry>& entries);

// A new database holding `entries` (unique keys, any order) in `folder`, which is made
// when missing and must be empty: CURRENT, MANIFEST-000001 and one log, each flushed to
// the disk. LevelDB replays the log when it opens the database.
LevelDbOutcome WriteLevelDb(const std::wstring& folder, const std::vector<LevelDbEntry>& entries);

} // namespace sweepora
