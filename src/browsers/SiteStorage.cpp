#include "browsers/SiteStorage.h"

#include "erasure/FolderWalk.h"
#include "platform/LongPath.h"

#include <windows.h>

#include <algorithm>
#include <cctype>

namespace sweepora {

bool SiteDataGoes(const KeptSite& kept, const std::string& scheme, const std::string& host)
{
    std::string lower = scheme;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower != "http" && lower != "https") return false;
    return !(kept && kept(host));
}

bool ParseStorageIdentifier(const std::string& identifier, std::string& scheme, std::string& host)
{
    const std::size_t first = identifier.find('_');
    const std::size_t last = identifier.rfind('_');
    if (first == std::string::npos || last <= first + 1 || last + 1 >= identifier.size()) return false;
    if (!std::all_of(identifier.begin() + static_cast<std::ptrdiff_t>(last) + 1, identifier.end(),
                     [](unsigned char c) { return std::isdigit(c) != 0; }))
        return false;
    scheme = identifier.substr(0, first);
    host = identifier.substr(first + 1, last - first - 1);
    return true;
}

bool EraseSiteFolder(EraseContext& context, const std::wstring& folder)
{
    WalkRequest request;
    request.folder = folder;
    request.display = DisplayPath(folder) + "\\";
    request.recurse = true;
    request.removeSubfolders = true;
    request.removeFolder = true;
    // Browsers mark nothing hidden here, but a site's folder goes whole or its sign-in
    // data would be half there.
    request.hiddenFiles = true;
    return WalkFolder(context, request).emptied;
}

bool IsPlainFolder(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

} // namespace sweepora
