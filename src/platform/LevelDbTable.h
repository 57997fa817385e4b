#pragma once
// LevelDB's sorted tables (.ldb, formerly .sst): a footer naming the index block, which
// names the data blocks, each prefix-compressed, checksummed and maybe snappy-compressed.
#include "platform/LevelDb.h"

#include <cstdint>
#include <functional>
#include <string>

namespace sweepora::leveldb {

// One entry of a table: its user key, sequence number, whether it is a value (or a
// deletion), and the value.
using TableVisitor = std::function<void(std::string key, std::uint64_t sequence, bool value, const std::string& bytes)>;

// Calls `visit` for every entry of the whole table file `table` named `name` (for the
// reasons), every block's checksum verified.
LevelDbOutcome ReadTable(const std::string& table, const std::string& name, const TableVisitor& visit);

} // namespace sweepora::leveldb
