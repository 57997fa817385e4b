#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

namespace sweepora {

// Whole-file I/O of bytes, the path in UTF-8 and of any length. Both return false on any failure.
bool ReadWholeFile(const std::string& path, std::string& contents);
// Creates or replaces the file.
bool WriteWholeFile(const std::string& path, const std::string& contents);

// Reads an open file whole into `bytes`, refusing one larger than `limit`: ERROR_SUCCESS,
// ERROR_FILE_TOO_LARGE, or the system's error.
DWORD ReadOpenFile(HANDLE file, std::uint64_t limit, std::string& bytes);
// Writes all of `bytes` to an open file: ERROR_SUCCESS or the system's error.
DWORD WriteOpenFile(HANDLE file, const std::string& bytes);

} // namespace sweepora
