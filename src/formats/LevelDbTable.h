#pragma once
// LevelDB's sorted tables (.ldb, formerly .sst): a footer naming the index block, which
// names the data blocks, each prefix-compressed, checksummed and maybe snappy-compressed.
#include "formats/LevelDb.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace sweepora::leveldb {

// One entry of a table: its user key, sequence number, whether it is a value (or a
// deletion), and the value.
using TableVisitor = std::function<void(std::string key, std::uint64_t sequence, bool value, const std::string& bytes)>;

// Calls `visit` for every entry of the whole table file `table` named `name` (for the
// reasons), every block's checksum verified.
LevelDbOutcome ReadTable(const std::string& table, const std::string& name, const TableVisitor& visit);

// The key a table sorts by: the user key, then the sequence number and the value type.
std::string InternalKey(const std::string& key, std::uint64_t sequence);

// A table of `entries` (sorted by key, each key once), every one a value written at
// `sequence`, uncompressed in blocks of about 4 KiB, as LevelDB's compaction writes them.
std::string BuildTable(const std::vector<LevelDbEntry>& entries, std::uint64_t sequence);

} // namespace sweepora::leveldb
