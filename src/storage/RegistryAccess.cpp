#include "storage/RegistryAccess.h"

#include "storage/Text.h"
#include "storage/UniqueHandle.h"

#include <algorithm>
#include <stdexcept>

namespace sweepora {

namespace {
constexpr DWORD kNameChars = 255;
}

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

void DeleteRegValue(HKEY root, const std::string& path, const std::string& name)
{
    UniqueKey key;
    if (::RegOpenKeyA(root, path.c_str(), key.put()) != ERROR_SUCCESS) return;
    if (key.get() == root) key.release();
    ::RegDeleteValueA(key ? key.get() : root, name.c_str());
}

HKEY RootKeyFromPath(const std::string& path)
{
    const auto slash = path.find('\\');
    if (slash == std::string::npos)
        throw std::invalid_argument("registry path without a backslash: " + path);
    const std::string rootName = TrimBlanks(path.substr(0, slash));
    struct Root {
        const char* name;
        HKEY key;
    };
    static const Root roots[] = {
        {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
        {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
        {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
        {"HKEY_USERS", HKEY_USERS},
        {"HKEY_PERFORMANCE_DATA", HKEY_PERFORMANCE_DATA},
        {"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG},
        {"HKEY_DYN_DATA", HKEY_DYN_DATA},
    };
    for (const Root& r : roots)
        if (rootName == r.name) return r.key;
    return nullptr;
}

void DeleteAllRegValues(HKEY root, const std::string& path, const std::atomic<bool>& abortFlag)
{
    UniqueKey key;
    LONG result = ::RegOpenKeyExA(root, path.c_str(), 0, kWriteAccess, key.put());
    while (result == ERROR_SUCCESS && !abortFlag) {
        char name[kNameChars + 1] = {};
        DWORD nameLength = kNameChars;
        DWORD type = 0;
        DWORD dataSize = 0;
        // Always index 0: each deletion moves the next value to the front.
        result = ::RegEnumValueA(key.get(), 0, name, &nameLength, nullptr, &type, nullptr, &dataSize);
        if (result == ERROR_SUCCESS)
            result = ::RegDeleteValueA(key.get(), std::string(name, nameLength).c_str());
    }
}

void DeleteSubKeys(HKEY root, const std::string& path, bool live, const std::atomic<bool>& abortFlag)
{
    UniqueKey key;
    LONG result = ::RegOpenKeyExA(root, path.c_str(), 0, kReadAccess, key.put());
    if (!live) return;
    while (result == ERROR_SUCCESS && !abortFlag) {
        char name[kNameChars + 1];
        std::fill(name, name + kNameChars, ' ');
        name[kNameChars] = '\0';
        DWORD nameLength = kNameChars;
        result = ::RegEnumKeyExA(key.get(), 0, name, &nameLength, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_SUCCESS) {
            std::string subkey(name, kNameChars);
            subkey = TrimBlanks(subkey.substr(0, subkey.find('\0')));
            result = ::RegDeleteKeyA(key.get(), subkey.c_str());
        }
    }
}

} // namespace sweepora
