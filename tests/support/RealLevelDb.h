#pragma once
// LevelDB's own library (Debian's 1.23 with snappy, built for the tests only) as the judge
// of every LevelDB folder Sweepora writes, and as the maker of databases for our reader.
// Chromium deletes and recreates a store LevelDB cannot open, so LevelDB's word is the one
// that counts.
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace sweepora::test {

struct RealLevelDb {
    bool ok = false;
    std::string status; // what LevelDB (or the check) found wrong; empty when ok
    std::map<std::string, std::string> entries;
    // Tables on each level once LevelDB has opened the folder (its log folded into level 0).
    std::vector<int> tablesPerLevel;
};

// Copies `folder` (a plain Windows path) to a scratch folder and opens the COPY with
// LevelDB's own library, paranoid checks on, never creating, and reads every entry with
// checksums verified, keys in strictly ascending order. Then it writes to the copy as a
// browser would go on (an overwrite and a new key), compacts it whole and opens it again:
// those writes must win, which fails on a sequence number below what the files hold.
// The copy, because opening a database rewrites it (log recovery) and the original must
// stay as it is. `entries` is what the folder held.
RealLevelDb ReadWithLevelDb(const std::string& folder);

// The entries of the LevelDB database in `folder`, by key, as our reader gives them; LevelDB's
// own library must open the folder and find exactly the same, or Chromium would not.
std::map<std::string, std::string> LevelDbEntries(const std::string& folder);

// Writes to the database in `folder` (made when missing) with LevelDB's own library,
// snappy tables: `puts` in order (a key given twice is overwritten), then `deletes`. With
// `compact`, small write buffers spill the entries into several tables that LevelDB's own
// compactions move down the levels, and the rest of the log is folded into a level-0 table
// at the end, so a second call puts its overwrites and tombstones in tables above the
// first's; without it, everything of this call is left in the log. Fails the test and
// returns false on any error.
bool WriteWithLevelDb(const std::string& folder, const std::vector<std::pair<std::string, std::string>>& puts,
                      const std::vector<std::string>& deletes, bool compact);

} // namespace sweepora::test
