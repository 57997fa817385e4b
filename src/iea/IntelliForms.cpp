#include "iea/IntelliForms.h"

#include "platform/UniqueHandle.h"

#include <windows.h>

#include <vector>

namespace sweepora::iea {

bool ClearIntelliFormsStorage()
{
    UniqueKey key;
    const LONG opened = ::RegOpenKeyExA(HKEY_CURRENT_USER, kIntelliFormsStorageKey, 0,
                                        KEY_QUERY_VALUE | KEY_SET_VALUE, key.put());
    if (opened == ERROR_FILE_NOT_FOUND) return true;
    if (opened != ERROR_SUCCESS) return false;

    DWORD longestName = 0;
    if (::RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longestName,
                           nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return false;
    std::vector<char> name(longestName + 1);
    // Always the first value: each deletion moves the next one to the front. A value that
    // cannot be deleted is stepped over, so the walk still ends.
    DWORD index = 0;
    for (;;) {
        DWORD length = static_cast<DWORD>(name.size());
        const LONG r = ::RegEnumValueA(key.get(), index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (r == ERROR_NO_MORE_ITEMS) break;
        if (r == ERROR_MORE_DATA) {
            name.resize(name.size() * 2);
            continue;
        }
        if (r != ERROR_SUCCESS || ::RegDeleteValueA(key.get(), name.data()) != ERROR_SUCCESS) ++index;
    }
    return index == 0;
}

} // namespace sweepora::iea
