#pragma once
#include <string>

namespace sweepora {

// The path with one trailing backslash.
std::string AddBackslash(const std::string& path);

// True when a file or folder exists at the path (UTF-8, any length).
bool FileExists(const std::string& path);

// The full path of the running executable (UTF-8), and its folder without a trailing backslash.
std::string ExecutablePath();
std::string FolderOf(const std::string& path);

// "C:\Tools\sweepora.exe" -> "sweepora"
std::string BaseNameWithoutExtension(const std::string& path);

} // namespace sweepora
