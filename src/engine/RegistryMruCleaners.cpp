#include "engine/RegistryMruCleaners.h"

#include "platform/Timestamp.h"
#include "safelists/TypedUrlLoader.h"
#include "platform/RegistryAccess.h"
#include "platform/UniqueHandle.h"

#include <cstdint>

namespace sweepora {

namespace {

constexpr const char* kAborted = "**Aborted**";

struct ValueName {
    LONG result;
    std::string name;
};

ValueName EnumValueName(HKEY key, DWORD index)
{
    char name[256] = {};
    DWORD length = 255; // longer names end the walk
    DWORD type = 0;
    DWORD dataSize = 0;
    const LONG r = ::RegEnumValueA(key, index, name, &length, nullptr, &type, nullptr, &dataSize);
    return {r, r == ERROR_SUCCESS ? std::string(name, length) : std::string()};
}

UniqueKey OpenCountedKey(Session& s, const char* path)
{
    UniqueKey key;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, kWriteAccess, key.put()) != ERROR_SUCCESS) key.reset();
    ++s.run.registryKeys; // opened or not
    return key;
}

// Deletes every value of the key, walking from the front as values disappear.
void ClearKey(Session& s, const char* path)
{
    UniqueKey key = OpenCountedKey(s, path);
    if (!key || !s.run.live) return;
    LONG result = ERROR_SUCCESS;
    while (result == ERROR_SUCCESS && !s.run.abort) {
        ValueName v = EnumValueName(key.get(), 0);
        result = v.result;
        if (result == ERROR_SUCCESS) result = ::RegDeleteValueA(key.get(), v.name.c_str());
    }
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
            std::int16_t index = 0;
            LONG result = ERROR_SUCCESS;
            if (key && s.run.live) {
                while (result == ERROR_SUCCESS && !s.run.abort) {
                    ValueName v = EnumValueName(key.get(), static_cast<DWORD>(static_cast<std::uint16_t>(index)));
                    result = v.result;
                    if (result == ERROR_SUCCESS) {
                        const std::string url = GetRegString(HKEY_CURRENT_USER, kTypedUrlsKey, v.name);
                        if (!IsInList(s.safeLists.typedUrls.safe, url, yield)) {
                            // The next value moves into this index.
                            result = ::RegDeleteValueA(key.get(), v.name.c_str());
                            --index;
                        }
                    }
                    ++index;
                }
            }
        }
        LoadTypedUrls(s.safeLists.typedUrls, s.ListFolders(), yield);
        if (s.run.abort)
            s.log.AddLogEntry("Internet typed Urls ", kAborted);
        else
            s.log.AddLogEntry("Internet typed Urls cleared", TimestampText());
    } catch (...) {
        // Ends without a line, as any failure of this cleaner does.
    }
}

} // namespace sweepora
