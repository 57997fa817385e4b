#pragma once
// Fresh LevelDB databases for the tests, written the simplest way LevelDB accepts: one log
// holding every entry, replayed when the database is opened.
#include "formats/LevelDb.h"

#include <string>
#include <vector>

namespace sweepora::test {

// A new database of `entries` (unique keys, any order) in `folder` (a plain path), made when
// missing: CURRENT, MANIFEST-000001 and 000002.log. False when a file cannot be written.
bool WriteLevelDb(const std::string& folder, const std::vector<LevelDbEntry>& entries);

} // namespace sweepora::test
