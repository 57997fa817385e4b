#include "engine/RegistryMruCleaners.h"

#include "engine/BrowserSites.h"
#include "erasure/RegistryValues.h"
#include "platform/RegistryAccess.h"
#include "platform/Timestamp.h"
#include "platform/UniqueHandle.h"
#include "safelists/TypedUrlLoader.h"

namespace sweepora {

namespace {

constexpr const char* kAborted = "**Aborted**";

UniqueKey OpenCountedKey(Session& s, const char* path)
{
    UniqueKey key;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, kWriteAccess, key.put()) != ERROR_SUCCESS) key.reset();
    ++s.run.registryKeys; // opened or not
    return key;
}

// Deletes every value of the key.
void ClearKey(Session& s, const char* path)
{
    UniqueKey key = OpenCountedKey(s, path);
    EraseContext context = s.Erasure();
    EraseValues(context, key.get());
}

} // namespace

void CleanRunHistory(Session& s)
{
    ClearKey(s, kRunMruKey);
    s.log.AddLogEntry("Run History Cleared ", s.run.abort ? kAborted : TimestampText());
}

void CleanFindHistory(Session& s)
{
    ClearKey(s, kDocFindMruKey);
    ClearKey(s, kFilesNamedMruKey);
    if (s.run.abort)
        s.log.AddLogEntry("Find File List ", kAborted);
    else
        s.log.AddLogEntry("Find File List cleared", TimestampText());
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
