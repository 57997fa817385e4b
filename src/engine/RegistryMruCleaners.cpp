#include "engine/RegistryMruCleaners.h"

#include "browsers/BrowserSites.h"
#include "engine/ShellFolders.h"
#include "erasure/FolderWalk.h"
#include "erasure/PlaceGuard.h"
#include "erasure/RegistryKeyCleaning.h"
#include "platform/LongPath.h"
#include "platform/RegistryAccess.h"
#include "platform/Timestamp.h"
#include "safelists/TypedUrlLoader.h"

#include <shlobj.h>

#include <cstdint>

namespace sweepora {

namespace {

constexpr const char* kAborted = "**Aborted**";

// Asks the erasure library to clean the key; the counter takes the keys it says were there
// and cleaned, so a missing key is not counted. How many values or subkeys went comes back.
std::int64_t Clean(Session& s, const char* path, KeyCleaning::Kind kind = KeyCleaning::Kind::Values,
                   bool subkeysToo = false, std::function<bool(const std::string&)> keep = nullptr)
{
    KeyCleaning request;
    request.path = path;
    request.kind = kind;
    request.subkeysToo = subkeysToo;
    request.keep = std::move(keep);
    EraseContext context = s.Erasure();
    const KeyCleaned cleaned = CleanRegistryKey(context, request);
    s.run.registryKeys += cleaned.keys;
    return cleaned.removed;
}

void LogStore(Session& s, const char* store, std::int64_t count, const char* one, const char* many)
{
    if (s.run.abort)
        s.log.AddLogEntry(store, kAborted);
    else
        s.log.AddLogEntry(store, std::to_string(count) + (count == 1 ? one : many));
}

void LogEntries(Session& s, const char* store, std::int64_t count)
{
    LogStore(s, store, count, " entry removed", " entries removed");
}

// The values of the key and of each of its subkeys (a list per kind of search); the keys stay.
void ClearKeyAndSubkeys(Session& s, const char* path, const char* store)
{
    LogEntries(s, store, Clean(s, path, KeyCleaning::Kind::Values, true));
}

// The files Search keeps of apps and settings it offered; through the walker, under the
// same guards as a definition's folder.
void ClearDeviceSearchCache(Session& s)
{
    const std::string local = GetSpecialFolderPath(CSIDL_LOCAL_APPDATA);
    const std::int64_t before = s.run.files;
    if (!local.empty()) {
        const std::string folder = local + "\\" + kDeviceSearchCacheFolder;
        WalkRequest request;
        request.folder = LongPath(folder);
        const DWORD attributes = ::GetFileAttributesW(request.folder.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            request.display = folder + "\\";
            request.masks = {L"*"}; // the guard judges named masks only
            request.recurse = true;
            request.hiddenFiles = true;
            const PlaceGuard guard(CurrentProtectedPlaces());
            request.guard = &guard;
            request.refusalTask = request.display;
            EraseContext context = s.Erasure();
            WalkFolder(context, request);
        }
    }
    LogStore(s, "DeviceSearchCache", s.run.files - before, " file removed", " files removed");
}

} // namespace

void CleanRunHistory(Session& s)
{
    Clean(s, kRunMruKey);
    s.log.AddLogEntry("Run History Cleared ", s.run.abort ? kAborted : TimestampText());
    if (s.run.abort) return;
    LogEntries(s, "TypedPaths", Clean(s, kTypedPathsKey));
}

void CleanFindHistory(Session& s)
{
    Clean(s, kDocFindMruKey);
    Clean(s, kFilesNamedMruKey);
    if (s.run.abort) {
        s.log.AddLogEntry("Find File List ", kAborted);
        return;
    }
    s.log.AddLogEntry("Find File List cleared", TimestampText());
    ClearKeyAndSubkeys(s, kWordWheelQueryKey, "WordWheelQuery");
    if (!s.run.abort) ClearKeyAndSubkeys(s, kSearchAssistantMruKey, "ACMru");
    // Search's recent apps: one subkey per app, each with its recent items below.
    if (!s.run.abort) LogEntries(s, "RecentApps", Clean(s, kSearchRecentAppsKey, KeyCleaning::Kind::Subkeys));
    if (!s.run.abort) LogEntries(s, "JumplistData", Clean(s, kSearchJumplistDataKey));
    if (!s.run.abort) ClearDeviceSearchCache(s);
}

void CleanTypedUrls(Session& s)
{
    try {
        const YieldFn yield = s.Yielder();
        Clean(s, kTypedUrlsKey, KeyCleaning::Kind::Values, false, [&](const std::string& name) {
            return IsInList(s.safeLists.typedUrls.safe, GetRegString(HKEY_CURRENT_USER, kTypedUrlsKey, name), yield);
        });
        LoadTypedUrls(s.safeLists.typedUrls, s.ListFolders(), yield, BrowserTypedAddresses(CurrentBrowserRoots()));
        if (s.run.abort)
            s.log.AddLogEntry("Internet typed Urls ", kAborted);
        else
            s.log.AddLogEntry("Internet typed Urls cleared", TimestampText());
    } catch (...) {
        // Ends without a line, as any failure of this cleaner does.
    }
}

} // namespace sweepora
