#include "platform/RegistryAccess.h"

#include "platform/Text.h"
#include "platform/UniqueHandle.h"
#include "platform/WideText.h"

#include <stdexcept>

// From ntdll: the one way to delete a registry link itself rather than its target.
extern "C" LONG NTAPI NtDeleteKey(HANDLE key);
extern "C" ULONG NTAPI RtlNtStatusToDosError(LONG status);

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

namespace {

// 255 characters and the NUL: the platform's limit for a key name.
constexpr DWORD kKeyNameChars = 256;
// 16 383 characters and the NUL: the limit for a value name.
constexpr DWORD kValueNameChars = 16384;
// Enough to look inside a subkey and delete it.
constexpr REGSAM kTreeAccess = KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | DELETE;

using Kind = RegistryFailure::Kind;

// An empty path gives back the root itself, which is not ours to close.
LONG OpenKey(HKEY root, const std::string& path, REGSAM access, UniqueKey& owner, HKEY& key)
{
    const LONG result = ::RegOpenKeyExW(root, WideFromUtf8(path).c_str(), 0, access, owner.put());
    if (result != ERROR_SUCCESS) return result;
    if (owner.get() == root) owner.release();
    key = owner ? owner.get() : root;
    return result;
}

// Without write access the key is still opened to read, so that each value it holds is
// reported on its own instead of the key as a whole.
LONG OpenForValueDeletion(HKEY root, const std::string& path, UniqueKey& owner, HKEY& key)
{
    const LONG result = OpenKey(root, path, kWriteAccess, owner, key);
    return result == ERROR_ACCESS_DENIED ? OpenKey(root, path, KEY_QUERY_VALUE, owner, key) : result;
}

bool IsLink(HKEY key)
{
    DWORD type = 0;
    return ::RegQueryValueExW(key, L"SymbolicLinkValue", nullptr, &type, nullptr, nullptr) == ERROR_SUCCESS &&
           type == REG_LINK;
}

// Deleting through the handle removes the object that was examined, a link as a link.
LONG DeleteByHandle(HKEY key)
{
    const LONG status = NtDeleteKey(key);
    return status == 0 ? ERROR_SUCCESS : static_cast<LONG>(RtlNtStatusToDosError(status));
}

// Deletes parent\name with everything below it; false when any of it stayed.
bool DeleteTree(HKEY parent, const std::wstring& name, const std::string& shown, RegistryFailures& failures,
                const std::atomic<bool>& abortFlag)
{
    UniqueKey key;
    LONG result = ::RegOpenKeyExW(parent, name.c_str(), REG_OPTION_OPEN_LINK, kTreeAccess, key.put());
    if (result == ERROR_FILE_NOT_FOUND) return true;
    if (result != ERROR_SUCCESS) {
        // What is below cannot be seen, but an empty key may still go with delete access alone.
        UniqueKey bare;
        if (::RegOpenKeyExW(parent, name.c_str(), REG_OPTION_OPEN_LINK, DELETE, bare.put()) == ERROR_SUCCESS &&
            DeleteByHandle(bare.get()) == ERROR_SUCCESS)
            return true;
        failures.push_back({Kind::Subkey, shown, result});
        return false;
    }
    bool whole = true;
    if (!IsLink(key.get())) {
        // A child that stays keeps its place, so the next one is at the following index.
        for (DWORD index = 0; !abortFlag;) {
            wchar_t child[kKeyNameChars];
            DWORD length = kKeyNameChars;
            result = ::RegEnumKeyExW(key.get(), index, child, &length, nullptr, nullptr, nullptr, nullptr);
            if (result == ERROR_NO_MORE_ITEMS) break;
            if (result != ERROR_SUCCESS) {
                failures.push_back({Kind::Subkey, shown, result});
                return false;
            }
            const std::wstring childName(child, length);
            if (!DeleteTree(key.get(), childName, shown + "\\" + Utf8FromWide(childName), failures, abortFlag)) {
                whole = false;
                ++index;
            }
        }
    }
    // A key whose child stayed cannot go; the child's own line says why.
    if (!whole || abortFlag) return false;
    result = DeleteByHandle(key.get());
    if (result == ERROR_SUCCESS) return true;
    failures.push_back({Kind::Subkey, shown, result});
    return false;
}

} // namespace

RegistryFailures DeleteRegValue(HKEY root, const std::string& path, const std::string& name)
{
    UniqueKey owner;
    HKEY key = nullptr;
    LONG result = OpenForValueDeletion(root, path, owner, key);
    if (result == ERROR_FILE_NOT_FOUND) return {};
    if (result != ERROR_SUCCESS) return {{Kind::Key, {}, result}};
    const std::wstring wide = WideFromUtf8(name);
    // A key opened only to read refuses even values it does not hold: those are no failure.
    if (::RegQueryValueExW(key, wide.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_FILE_NOT_FOUND) return {};
    result = ::RegDeleteValueW(key, wide.c_str());
    if (result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND) return {};
    return {{Kind::Value, name, result}};
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

RegistryFailures DeleteAllRegValues(HKEY root, const std::string& path, const std::atomic<bool>& abortFlag)
{
    UniqueKey owner;
    HKEY key = nullptr;
    LONG result = OpenForValueDeletion(root, path, owner, key);
    if (result == ERROR_FILE_NOT_FOUND) return {};
    if (result != ERROR_SUCCESS) return {{Kind::Key, {}, result}};
    RegistryFailures failures;
    std::wstring name(kValueNameChars, L'\0');
    // A value that stays keeps its place, so the next one is at the following index.
    for (DWORD index = 0; !abortFlag;) {
        DWORD length = kValueNameChars;
        result = ::RegEnumValueW(key, index, &name[0], &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS) break;
        if (result != ERROR_SUCCESS) {
            failures.push_back({Kind::Key, {}, result});
            break;
        }
        const std::wstring valueName(name.data(), length);
        result = ::RegDeleteValueW(key, valueName.c_str());
        if (result != ERROR_SUCCESS) {
            failures.push_back({Kind::Value, Utf8FromWide(valueName), result});
            ++index;
        }
    }
    return failures;
}

RegistryFailures DeleteSubKeys(HKEY root, const std::string& path, bool live, const std::atomic<bool>& abortFlag)
{
    UniqueKey owner;
    HKEY key = nullptr;
    LONG result = OpenKey(root, path, kReadAccess, owner, key);
    if (!live || result == ERROR_FILE_NOT_FOUND) return {};
    if (result != ERROR_SUCCESS) return {{Kind::Key, {}, result}};
    RegistryFailures failures;
    for (DWORD index = 0; !abortFlag;) {
        wchar_t child[kKeyNameChars];
        DWORD length = kKeyNameChars;
        result = ::RegEnumKeyExW(key, index, child, &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS) break;
        if (result != ERROR_SUCCESS) {
            failures.push_back({Kind::Key, {}, result});
            break;
        }
        const std::wstring name(child, length);
        if (!DeleteTree(key, name, Utf8FromWide(name), failures, abortFlag)) ++index;
    }
    return failures;
}

RegistryFailures DeleteRegKey(HKEY root, const std::string& path, const std::atomic<bool>& abortFlag)
{
    const std::size_t slash = path.find_last_of('\\');
    const std::string parentPath = slash == std::string::npos ? std::string() : path.substr(0, slash);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty()) return {{Kind::Key, {}, ERROR_INVALID_PARAMETER}};
    UniqueKey owner;
    HKEY parent = nullptr;
    const LONG result = OpenKey(root, parentPath, kReadAccess, owner, parent);
    if (result == ERROR_FILE_NOT_FOUND) return {};
    if (result != ERROR_SUCCESS) return {{Kind::Key, {}, result}};
    RegistryFailures failures;
    DeleteTree(parent, WideFromUtf8(name), {}, failures, abortFlag);
    // Below the key the failures are named from the key itself.
    for (RegistryFailure& f : failures)
        if (f.kind == Kind::Subkey && !f.name.empty() && f.name[0] == '\\') f.name.erase(0, 1);
    for (RegistryFailure& f : failures)
        if (f.kind == Kind::Subkey && f.name.empty()) f.kind = Kind::Key;
    return failures;
}

} // namespace sweepora
