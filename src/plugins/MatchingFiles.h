#pragma once
#include <string>
#include <vector>

namespace sweepora {

// The files a plugin's DelFile pattern names, each as the pattern's folder followed by the
// file's name. Wildcards ("*", "?") count in the last part only; hidden files match, system
// files and folders never do. A pattern without a wildcard names at most that one file.
// A pattern whose folder is missing, a drive or share root or the Windows folder itself
// names nothing: a plugin can never empty a whole drive or the system.
std::vector<std::string> MatchingFiles(const std::string& pattern);

} // namespace sweepora
