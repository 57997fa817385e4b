#include "engine/SiteStorage.h"

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
