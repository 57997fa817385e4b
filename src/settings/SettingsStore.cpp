#include "settings/SettingsStore.h"

#include "platform/UniqueHandle.h"
#include "platform/WideText.h"

#include <windows.h>

namespace sweepora {

RegistrySettingsStore::RegistrySettingsStore(std::string root, HKEY hive) : root_(std::move(root)), hive_(hive) {}

std::string RegistrySettingsStore::Get(const std::string& section, const std::string& key,
                                       const std::string& defaultValue) const
{
    UniqueKey k;
    const std::wstring path = WideFromUtf8(root_ + "\\" + section);
    if (::RegOpenKeyExW(hive_, path.c_str(), 0, KEY_QUERY_VALUE, k.put()) != ERROR_SUCCESS)
        return defaultValue;
    const std::wstring name = WideFromUtf8(key);
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExW(k.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return defaultValue;
    // Bytes, rounded up to whole characters: a value may be stored with an odd length.
    std::wstring value((size + 1) / sizeof(wchar_t), L'\0');
    if (size > 0 && ::RegQueryValueExW(k.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value[0]),
                                       &size) != ERROR_SUCCESS)
        return defaultValue;
    value.resize(size / sizeof(wchar_t) < value.size() ? size / sizeof(wchar_t) : value.size());
    return Utf8FromWide(value.substr(0, value.find(L'\0')));
}

void RegistrySettingsStore::Set(const std::string& section, const std::string& key, const std::string& value)
{
    UniqueKey k;
    const std::wstring path = WideFromUtf8(root_ + "\\" + section);
    if (::RegCreateKeyExW(hive_, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, k.put(),
                          nullptr) != ERROR_SUCCESS)
        return;
    const std::wstring text = WideFromUtf8(value);
    ::RegSetValueExW(k.get(), WideFromUtf8(key).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

std::vector<std::pair<std::string, std::string>> RegistrySettingsStore::Section(const std::string& section) const
{
    std::vector<std::pair<std::string, std::string>> values;
    UniqueKey k;
    if (::RegOpenKeyExW(hive_, WideFromUtf8(root_ + "\\" + section).c_str(), 0, KEY_QUERY_VALUE,
                        k.put()) != ERROR_SUCCESS)
        return values;
    // Sized from the key's own longest name and value, so a value of any length (a long
    // folder list) is read whole; sized again if one grew while the key was read.
    std::wstring name;
    std::vector<wchar_t> data;
    const auto fit = [&]() {
        DWORD longestName = 0, longestData = 0;
        if (::RegQueryInfoKeyW(k.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longestName,
                               &longestData, nullptr, nullptr) != ERROR_SUCCESS)
            return false;
        name.assign(longestName + 1, L'\0');
        data.assign(longestData / sizeof(wchar_t) + 2, L'\0');
        return true;
    };
    if (!fit()) return values;
    int refits = 0;
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
        DWORD type = 0;
        const LONG result = ::RegEnumValueW(k.get(), index, &name[0], &nameLength, nullptr, &type,
                                            reinterpret_cast<BYTE*>(data.data()), &size);
        if (result == ERROR_MORE_DATA) {
            if (++refits <= 3 && fit()) --index; // the same value again, now that it fits
            continue;
        }
        if (result != ERROR_SUCCESS) break;
        if (type != REG_SZ) continue;
        const std::wstring text(data.data(), size / sizeof(wchar_t));
        values.emplace_back(Utf8FromWide(name.substr(0, nameLength)), Utf8FromWide(text.substr(0, text.find(L'\0'))));
    }
    return values;
}

std::vector<std::string> RegistrySettingsStore::Sections() const
{
    std::vector<std::string> names;
    UniqueKey k;
    if (::RegOpenKeyExW(hive_, WideFromUtf8(root_).c_str(), 0, KEY_ENUMERATE_SUB_KEYS, k.put()) != ERROR_SUCCESS)
        return names;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = 256;
        if (::RegEnumKeyExW(k.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.push_back(Utf8FromWide(std::wstring(name, length)));
    }
    return names;
}

} // namespace sweepora
