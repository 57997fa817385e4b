#pragma once
#include <string>
#include <vector>

namespace sweepora {

// The files a plugin's DelFile pattern names (UTF-8), each as the pattern's folder followed
// by the file's name. Wildcards ("*", "?") count in the last part only and are matched
// against the long name alone: the system's own search also matches short 8.3 names, so
// "*.tmp" would take "notes.tmpl". Hidden files match, system files and folders never do.
// A pattern without a wildcard names at most that one file. A pattern whose folder is
// missing, a drive or share root or the Windows folder, in any spelling or through a
// link, names nothing, and `refusal` (when given) says why.
std::vector<std::string> MatchingFiles(const std::string& pattern, std::string* refusal = nullptr);

// True when the whole name matches the pattern, ignoring case: "*" any run of characters,
// "?" any one; "*.*" matches every name, as it always has on this system.
bool LongNameMatches(const std::wstring& name, const std::wstring& pattern);

} // namespace sweepora
