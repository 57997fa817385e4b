#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace sweepora {

// The path with one trailing backslash.
std::string AddBackslash(const std::string& path);

// The path without trailing separators; "C:\" keeps its backslash, since "C:" alone means
// the current folder of drive C.
std::string WithoutBackslash(std::string path);

// The non-empty parts of a path, split at "\" and "/": "C:\a\\b\" gives "C:", "a", "b".
// The views point into `path`.
std::vector<std::string_view> PathParts(std::string_view path);
std::vector<std::wstring_view> PathParts(std::wstring_view path);

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
