#include "safelists/SafeListPages.h"

#include "platform/Paths.h"
#include "safelists/SafeListFile.h"

namespace sweepora {

std::string SafeListPath(const std::string& folder, const char* fileName)
{
    return AddBackslash(folder) + fileName;
}

std::string SafeListReadPath(const SafeListFolders& folders, const char* fileName)
{
    const std::string own = SafeListPath(folders.data, fileName);
    return FileExists(own) ? own : SafeListPath(folders.starting, fileName);
}

void SaveSafeLists(const SafeListPages& pages, const std::string& folder)
{
    SaveListToFile(pages.cookies.safe, SafeListPath(folder, kSafeCookieFile));
    SaveListToFile(pages.history.safe, SafeListPath(folder, kSafeHistoryFile));
    SaveListToFile(pages.typedUrls.safe, SafeListPath(folder, kSafeUrlsFile));
}

} // namespace sweepora
