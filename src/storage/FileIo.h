#pragma once
#include <string>

namespace sweepora {

// Whole-file ANSI I/O on the Win32 file functions. Both return false on any failure.
bool ReadWholeFile(const std::string& path, std::string& contents);
// Creates or replaces the file.
bool WriteWholeFile(const std::string& path, const std::string& contents);

} // namespace sweepora
