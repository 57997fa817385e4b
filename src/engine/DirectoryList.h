#pragma once

#include <string>
#include <vector>

namespace sweepora {

// The folders of the custom-directories category. A folder is listed once (ignoring case);
// empty names and names holding the list's separator "|" are refused. False when refused.
bool AddDir(std::vector<std::string>& dirs, const std::string& folder);
void RemoveDir(std::vector<std::string>& dirs, std::size_t index);
void RemoveAllDirs(std::vector<std::string>& dirs);

} // namespace sweepora
