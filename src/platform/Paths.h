#pragma once
#include <string>
#include <vector>

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

// The names of the files in `folder` whose long names end in `extension` (".plg"), as a
// file list box shows them (no folders, hidden or system files), in name order ignoring case.
std::vector<std::string> FilesWithExtension(const std::string& folder, const std::string& extension);

} // namespace sweepora
