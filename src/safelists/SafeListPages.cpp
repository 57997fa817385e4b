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

void LoadSafeSide(ListPair& page, const SafeListFolders& folders, const char* fileName, const YieldFn& yield)
{
    const std::string path = SafeListReadPath(folders, fileName);
    page.unreadable = LoadListFromFile(page.safe, path, yield) ? std::string() : path;
}

void RereadUnreadableLists(SafeListPages& pages, const YieldFn& yield)
{
    for (ListPair* page : {&pages.cookies, &pages.typedUrls, &pages.history})
        if (!page->unreadable.empty() && LoadListFromFile(page->safe, page->unreadable, yield))
            page->unreadable.clear();
}

std::string UnreadableListsMessage(const SafeListPages& pages)
{
    std::string files;
    for (const ListPair* page : {&pages.cookies, &pages.typedUrls, &pages.history})
        if (!page->unreadable.empty()) files += "\n" + page->unreadable;
    if (files.empty()) return {};
    return "Nothing was cleaned: a list of what to keep is there but could not be read (another program "
           "holds it, or access is denied), and cleaning without it would erase what it keeps:" +
           files + "\nClose the program holding it or give back access, then clean again.";
}

std::vector<std::string> SaveSafeLists(const SafeListPages& pages, const std::string& folder)
{
    const std::pair<const ListPair*, const char*> lists[] = {
        {&pages.cookies, kSafeCookieFile}, {&pages.history, kSafeHistoryFile}, {&pages.typedUrls, kSafeUrlsFile}};
    std::vector<std::string> unsaved;
    for (const auto& [page, fileName] : lists) {
        const std::string path = SafeListPath(folder, fileName);
        // What the window shows of a list it could not read is not the list: leave the file be.
        if (!page->unreadable.empty() || !SaveListToFile(page->safe, path)) unsaved.push_back(path);
    }
    return unsaved;
}

} // namespace sweepora
