#pragma once
#include "engine/Session.h"

namespace sweepora {

constexpr const char* kRunMruKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
constexpr const char* kDocFindMruKey = "Software\\Microsoft\\Windows\\Currentversion\\Explorer\\Doc Find Spec MRU";
constexpr const char* kFilesNamedMruKey =
    "Software\\Microsoft\\Internet Explorer\\Explorer Bars\\{C4EE31F3-4768-11D2-BE5C-00A0C9A83DA1}\\FilesNamedMRU";
// What Windows 10/11 keeps of the same boxes besides the old lists.
constexpr const char* kTypedPathsKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\TypedPaths";
constexpr const char* kWordWheelQueryKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\WordWheelQuery";
constexpr const char* kSearchAssistantMruKey = "Software\\Microsoft\\Search Assistant\\ACMru";
constexpr const char* kSearchRecentAppsKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Search\\RecentApps";
// When each app was last started from Search: one value per app.
constexpr const char* kSearchJumplistDataKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Search\\JumplistData";
// Below Local AppData.
constexpr const char* kDeviceSearchCacheFolder =
    "Packages\\Microsoft.Windows.Search_cw5n1h2txyewy\\LocalState\\DeviceSearchCache";

// The Start menu's Run list: every value of its key, the order value too; and the paths
// typed into Explorer's address bar, one line for them.
void CleanRunHistory(Session& session);
// The two Find/Search lists (counts two keys even when neither exists), then Explorer's
// search terms, the search assistant's lists, Search's recent apps and the device search
// cache, one line each.
void CleanFindHistory(Session& session);
// The addresses typed into the browser, but those on the typed-URL safe list.
void CleanTypedUrls(Session& session);

} // namespace sweepora
