#pragma once
// Snappy decompression, for the table blocks LevelDB compresses. Only reading is needed:
// what this program writes goes into a log, which LevelDB never compresses.
#include <cstddef>
#include <string>

namespace sweepora {

// Decompresses `size` bytes into `out`. False for malformed input or when the result would
// be larger than `limit` bytes; `out` is then unspecified.
bool SnappyUncompress(const char* data, std::size_t size, std::size_t limit, std::string& out);

} // namespace sweepora
