#pragma once
// Chromium keeps web storage in LevelDB databases shared by all sites. This reads a
// database folder's live entries and rewrites it in place the way LevelDB itself does,
// with no LevelDB code: reading never changes a file, and refuses a folder held by a
// running program, one sorted by another comparator, and anything damaged or too large.
// Nothing here throws; every failure comes back as text.
#include <functional>
#include <memory>
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

// A database held for an edit in place. Its LOCK is taken as LevelDB takes it when the
// database is read, and held until the object goes, so that no program opens it between
// the read and the rewrite.
class LevelDbStore {
public:
    LevelDbStore();
    ~LevelDbStore();
    LevelDbStore(const LevelDbStore&) = delete;
    LevelDbStore& operator=(const LevelDbStore&) = delete;

    // Reads the database in `folder` as ReadLevelDb does, keeping its LOCK. `forEdit`
    // makes a missing LOCK, as LevelDB would; a test run leaves the folder as it is.
    LevelDbOutcome Open(const std::wstring& folder, bool forEdit);
    const std::vector<LevelDbEntry>& Entries() const;

    // Numbered files that no version of the database names (full paths): left by a
    // rewrite cut short, LevelDB's or ours. LevelDB deletes them when it next opens the
    // database; they may hold what a rewrite removed, so the caller erases them instead.
    std::vector<std::wstring> Strays() const;
    // What a rewrite leaves named by nothing: the strays, and the manifest, tables and
    // logs read.
    std::vector<std::wstring> Obsolete() const;

    // Rewrites the database to hold `keep` (a subset of Entries(), in its order), as
    // LevelDB's compaction would: a new table and a new manifest naming only it, numbered
    // above every file in the folder and each flushed, then CURRENT switched to the new
    // manifest in one rename. Just before the rename `stillFree` is asked (a reason not
    // to go on, or empty) and the folder must hold the files it held when read. A crash
    // before the rename leaves the database as it was (LevelDB deletes the stray files),
    // after it the new one. On failure the new files are removed and nothing else changes.
    LevelDbOutcome Replace(const std::vector<LevelDbEntry>& keep, const std::function<std::string()>& stillFree);

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace sweepora
