#pragma once
// "Clear Recent Run Documents from Start menu" on today's Windows: the registry's list of
// recent documents, the recent shortcuts, and the recent and frequent items of every jump
// list, whose pinned items stay.
#include <windows.h>

#include <string>

namespace sweepora {

struct Session;

// Where the box looks; tests point it at a sandbox.
struct RecentScope {
    std::string recentFolder;       // %APPDATA%\Microsoft\Windows\Recent
    std::string officeRecentFolder; // %APPDATA%\Microsoft\Office\Recent
    HKEY registryRoot = HKEY_CURRENT_USER;
    std::string recentDocsKey;      // below the root: ...\Explorer\RecentDocs
};
RecentScope CurrentRecentScope();

// The AppID of the Explorer's jump list, which holds the folders pinned to Quick Access.
constexpr const char* kQuickAccessAppId = "f01b4d95cf55d32a";

// One line per store found, the same in a test run as in the live one:
// - the values of RecentDocs and of its subkeys (the keys stay);
// - the *.lnk files of the two Recent folders (their other files and subfolders stay);
// - per automatic jump list, its entries that are not pinned with their streams; a list of
//   pins only is not rewritten, and one that cannot be read as known stays as it was;
// - per custom jump list, that it is kept: it holds the application's own tasks and lists.
void CleanRecentItems(Session& session, const RecentScope& scope);

} // namespace sweepora
