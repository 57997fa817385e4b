#include "erasure/RecentDocsList.h"

#include "platform/UniqueHandle.h"
#include "platform/WideText.h"

#include <shlobj.h>

#include <string>

namespace sweepora {

namespace {

// The values of the key and of its subkeys, one level down as the shell keeps them.
std::int64_t Entries(HKEY key)
{
    DWORD subkeys = 0, values = 0;
    if (::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                           nullptr, nullptr) != ERROR_SUCCESS)
        return -1;
    std::int64_t total = values;
    for (DWORD index = 0; index < subkeys; ++index) {
        wchar_t name[256];
        DWORD length = 256;
        if (::RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) continue;
        UniqueKey sub;
        DWORD subValues = 0;
        if (::RegOpenKeyExW(key, name, REG_OPTION_OPEN_LINK, KEY_READ, sub.put()) == ERROR_SUCCESS &&
            ::RegQueryInfoKeyW(sub.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &subValues, nullptr,
                               nullptr, nullptr, nullptr) == ERROR_SUCCESS)
            total += subValues;
    }
    return total;
}

} // namespace

std::int64_t ClearRecentDocsList(const EraseContext& context, const std::string& keyPath)
{
    if (context.run.live) ::SHAddToRecentDocs(0, nullptr);
    UniqueKey key;
    const LONG opened = ::RegOpenKeyExW(HKEY_CURRENT_USER, WideFromUtf8(keyPath).c_str(), 0, KEY_READ, key.put());
    if (opened == ERROR_FILE_NOT_FOUND) return 0;
    if (opened != ERROR_SUCCESS) return -1;
    return Entries(key.get());
}

} // namespace sweepora
