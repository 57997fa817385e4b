#include "platform/RegistryAccess.h"

#include "platform/Text.h"
#include "platform/UniqueHandle.h"
#include "platform/WideText.h"

#include <stdexcept>

namespace sweepora {

std::string GetRegString(HKEY root, const std::string& path, const std::string& name)
{
    UniqueKey key;
    if (::RegOpenKeyA(root, path.c_str(), key.put()) != ERROR_SUCCESS) return {};
    // An empty path hands back the root itself, which is not ours to close.
    if (key.get() == root) key.release();
    HKEY k = key ? key.get() : root;

    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExA(k, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return {};
    if (type != REG_SZ) return {};
    std::string buffer(size, ' ');
    if (::RegQueryValueExA(k, name.c_str(), nullptr, &type,
                           reinterpret_cast<BYTE*>(&buffer[0]), &size) != ERROR_SUCCESS)
        return {};
    buffer.resize(size < buffer.size() ? size : buffer.size());
    const auto nul = buffer.find('\0');
    return nul == std::string::npos ? buffer : buffer.substr(0, nul);
}

void SetRegString(HKEY root, const std::string& path, const std::string& name,
                  const std::string& data, DWORD type, DWORD& disposition)
{
    UniqueKey key;
    if (::RegOpenKeyExA(root, path.c_str(), 0, kWriteAccess, key.put()) != ERROR_SUCCESS) {
        ::RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, kWriteAccess, nullptr, key.put(),
                          &disposition);
    }
    if (!key) return;
    if (type == REG_SZ || type == REG_BINARY) {
        ::RegSetValueExA(key.get(), name.c_str(), 0, type,
                         reinterpret_cast<const BYTE*>(data.c_str()),
                         static_cast<DWORD>(data.size()));
    }
}

bool DeleteOwnSettingValue(HKEY root, const std::string& path, const std::string& name)
{
    UniqueKey key;
    const LONG opened = ::RegOpenKeyExW(root, WideFromUtf8(path).c_str(), 0, KEY_SET_VALUE, key.put());
    if (opened == ERROR_FILE_NOT_FOUND) return true;
    if (opened != ERROR_SUCCESS) return false;
    const LONG result = ::RegDeleteValueW(key.get(), WideFromUtf8(name).c_str());
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

HKEY RootKeyFromPath(const std::string& path)
{
    const auto slash = path.find('\\');
    if (slash == std::string::npos)
        throw std::invalid_argument("registry path without a backslash: " + path);
    const RegistryRoot* root = FindRegistryRoot(TrimBlanks(path.substr(0, slash)), false);
    return root ? root->handle : nullptr;
}

const RegistryRoot* FindRegistryRoot(std::string_view name, bool loose)
{
    static const RegistryRoot roots[] = {
        {"HKEY_CLASSES_ROOT", "HKCR", HKEY_CLASSES_ROOT},   {"HKEY_CURRENT_USER", "HKCU", HKEY_CURRENT_USER},
        {"HKEY_LOCAL_MACHINE", "HKLM", HKEY_LOCAL_MACHINE}, {"HKEY_USERS", "HKU", HKEY_USERS},
        {"HKEY_PERFORMANCE_DATA", "", HKEY_PERFORMANCE_DATA}, {"HKEY_CURRENT_CONFIG", "HKCC", HKEY_CURRENT_CONFIG},
        {"HKEY_DYN_DATA", "", HKEY_DYN_DATA},
    };
    const auto same = [loose](std::string_view a, std::string_view b) {
        if (a.size() != b.size()) return false;
        for (std::size_t i = 0; i < a.size(); ++i) {
            char x = a[i];
            if (loose && x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
            if (x != b[i]) return false;
        }
        return true;
    };
    for (const RegistryRoot& r : roots)
        if (same(name, r.fullName) || (loose && *r.shortName && same(name, r.shortName))) return &r;
    return nullptr;
}

} // namespace sweepora
