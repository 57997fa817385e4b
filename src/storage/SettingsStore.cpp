#include "storage/SettingsStore.h"

#include "storage/UniqueHandle.h"

namespace sweepora {

RegistrySettingsStore::RegistrySettingsStore(std::string root) : root_(std::move(root)) {}

std::string RegistrySettingsStore::Get(const std::string& section, const std::string& key,
                                       const std::string& defaultValue) const
{
    UniqueKey k;
    const std::string path = root_ + "\\" + section;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, k.put()) != ERROR_SUCCESS)
        return defaultValue;
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExA(k.get(), key.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return defaultValue;
    std::string value(size, '\0');
    if (size > 0 &&
        ::RegQueryValueExA(k.get(), key.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value[0]),
                           &size) != ERROR_SUCCESS)
        return defaultValue;
    value.resize(size < value.size() ? size : value.size());
    return value.substr(0, value.find('\0'));
}

void RegistrySettingsStore::Set(const std::string& section, const std::string& key, const std::string& value)
{
    UniqueKey k;
    const std::string path = root_ + "\\" + section;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, k.put(),
                          nullptr) != ERROR_SUCCESS)
        return;
    ::RegSetValueExA(k.get(), key.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>(value.size() + 1));
}

} // namespace sweepora
