#pragma once
#include <string>

namespace sweepora {

// Whole-file I/O of bytes, the path in UTF-8 and of any length. Both return false on any failure.
bool ReadWholeFile(const std::string& path, std::string& contents);
// Creates or replaces the file.
bool WriteWholeFile(const std::string& path, const std::string& contents);

} // namespace sweepora
