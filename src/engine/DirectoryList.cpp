#include "engine/DirectoryList.h"

#include "platform/Text.h"
#include "settings/AppSettings.h"

namespace sweepora {

bool AddDir(std::vector<std::string>& dirs, const std::string& folder)
{
    const std::string name = TrimBlanks(folder);
    if (name.empty() || name.find(kCustomDirSeparator) != std::string::npos) return false;
    for (const std::string& d : dirs)
        if (EqualsIgnoringCase(d, name)) return false;
    dirs.push_back(name);
    return true;
}

void RemoveDir(std::vector<std::string>& dirs, std::size_t index)
{
    if (index < dirs.size()) dirs.erase(dirs.begin() + static_cast<std::ptrdiff_t>(index));
}

void RemoveAllDirs(std::vector<std::string>& dirs) { dirs.clear(); }

} // namespace sweepora
