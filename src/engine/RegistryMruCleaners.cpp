#include "engine/RegistryMruCleaners.h"

#include "browsers/BrowserSites.h"
#include "engine/ShellFolders.h"
#include "erasure/FolderWalk.h"
#include "erasure/PlaceGuard.h"
#include "erasure/RegistryValues.h"
#include "platform/LongPath.h"
#include "platform/RegistryAccess.h"
#include "platform/Timestamp.h"
#include "platform/UniqueHandle.h"
#include "safelists/TypedUrlLoader.h"

#include <shlobj.h>

#include <cstdint>
#include <vector>

namespace sweepora {

namespace {

constexpr const char* kAborted = "**Aborted**";

// The counter says how many keys were opened for cleaning: a key that is missing or could
// not be opened was not cleaned, so it is not counted.
UniqueKey OpenCountedKey(Session& s, const char* path)
{
    UniqueKey key;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, kWriteAccess, key.put()) != ERROR_SUCCESS)
        key.reset();
    else
        ++s.run.registryKeys;
    return key;
}

DWORD ValueCount(HKEY key)
{
    DWORD values = 0;
    if (!key || ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                                   nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return 0;
    return values;
}

std::vector<std::wstring> SubkeyNames(HKEY key)
{
    std::vector<std::wstring> names;
    wchar_t name[256];
    for (DWORD index = 0; key; ++index) {
        DWORD length = 256;
        if (::RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, length);
    }
    return names;
}

// Deletes every value of the open key; how many went (in a test run: would go).
std::int64_t EraseAllValues(Session& s, HKEY key)
{
    const DWORD before = ValueCount(key);
    EraseContext context = s.Erasure();
    EraseValues(context, key);
    return s.run.live ? static_cast<std::int64_t>(before) - ValueCount(key) : before;
}

// Deletes every value of the key.
void ClearKey(Session& s, const char* path)
{
    UniqueKey key = OpenCountedKey(s, path);
    EraseAllValues(s, key.get());
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
    UniqueKey key = OpenCountedKey(s, path);
    std::int64_t removed = EraseAllValues(s, key.get());
    for (const std::wstring& name : SubkeyNames(key.get())) {
        if (s.run.abort) break;
        UniqueKey subkey;
        if (::RegOpenKeyExW(key.get(), name.c_str(), 0, kWriteAccess, subkey.put()) != ERROR_SUCCESS)
            subkey.reset();
        else
            ++s.run.registryKeys;
        removed += EraseAllValues(s, subkey.get());
    }
    LogEntries(s, store, removed);
}

// Search's recent apps: one subkey per app, each with its recent items below.
void ClearRecentApps(Session& s)
{
    std::size_t before = 0;
    {
        UniqueKey key = OpenCountedKey(s, kSearchRecentAppsKey);
        before = SubkeyNames(key.get()).size();
    }
    std::int64_t removed = static_cast<std::int64_t>(before);
    if (s.run.live && before > 0) {
        DeleteSubKeys(HKEY_CURRENT_USER, kSearchRecentAppsKey, true, s.run.abort);
        UniqueKey key;
        if (::RegOpenKeyExA(HKEY_CURRENT_USER, kSearchRecentAppsKey, 0, kReadAccess, key.put()) == ERROR_SUCCESS)
            removed -= static_cast<std::int64_t>(SubkeyNames(key.get()).size());
    }
    LogEntries(s, "RecentApps", removed);
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
    ClearKey(s, kRunMruKey);
    s.log.AddLogEntry("Run History Cleared ", s.run.abort ? kAborted : TimestampText());
    if (s.run.abort) return;
    UniqueKey typed = OpenCountedKey(s, kTypedPathsKey);
    LogEntries(s, "TypedPaths", EraseAllValues(s, typed.get()));
}

void CleanFindHistory(Session& s)
{
    ClearKey(s, kDocFindMruKey);
    ClearKey(s, kFilesNamedMruKey);
    if (s.run.abort) {
        s.log.AddLogEntry("Find File List ", kAborted);
        return;
    }
    s.log.AddLogEntry("Find File List cleared", TimestampText());
    ClearKeyAndSubkeys(s, kWordWheelQueryKey, "WordWheelQuery");
    if (!s.run.abort) ClearKeyAndSubkeys(s, kSearchAssistantMruKey, "ACMru");
    if (!s.run.abort) ClearRecentApps(s);
    if (!s.run.abort) {
        UniqueKey launched = OpenCountedKey(s, kSearchJumplistDataKey);
        LogEntries(s, "JumplistData", EraseAllValues(s, launched.get()));
    }
    if (!s.run.abort) ClearDeviceSearchCache(s);
}

void CleanTypedUrls(Session& s)
{
    try {
        const YieldFn yield = s.Yielder();
        {
            UniqueKey key = OpenCountedKey(s, kTypedUrlsKey);
            EraseContext context = s.Erasure();
            EraseValues(context, key.get(), [&](const std::string& name) {
                return IsInList(s.safeLists.typedUrls.safe, GetRegString(HKEY_CURRENT_USER, kTypedUrlsKey, name), yield);
            });
        }
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
