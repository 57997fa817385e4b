#pragma once
// LevelDB's log format, which its logs and manifests share: records cut into fragments
// that never cross a 32 KiB block, each with a masked CRC-32C.
#include "formats/LevelDb.h"

#include <string>
#include <vector>

namespace sweepora::leveldb {

// The records of a whole log file named `name` (for the reasons), each checksum verified.
// As in LevelDB, a tail a writer left unfinished (torn, or zeros) ends the log; a bad
// checksum or a malformed record before it is refused.
LevelDbOutcome ReadLogRecords(const std::string& log, const std::string& name, std::vector<std::string>& records);

// Appends one record to a log whose length is `log.size()`, split at block boundaries.
void AppendLogRecord(std::string& log, const std::string& record);

} // namespace sweepora::leveldb
