#include "erasure/RegistryDelete.h"

#include "erasure/RegistryOpen.h"
#include "platform/ErrorText.h"
#include "platform/WideText.h"

// From ntdll: the one way to delete a registry link itself rather than its target.
extern "C" LONG NTAPI NtDeleteKey(HANDLE key);
extern "C" ULONG NTAPI RtlNtStatusToDosError(LONG status);

namespace sweepora {

namespace {

// 255 characters and the NUL: the platform's limit for a key name.
constexpr DWORD kKeyNameChars = 256;
// 16 383 characters and the NUL: the limit for a value name.
constexpr DWORD kValueNameChars = 16384;
// Enough to look inside a subkey and delete it.
constexpr REGSAM kTreeAccess = KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | DELETE;

using Kind = RegistryFailure::Kind;

// The key, or the failure that kept it closed; a missing key gives neither.
RegistryFailures Open(HKEY root, const std::vector<std::string>& parts, REGSAM access, OpenedKey& key)
{
    key = OpenKeyWithoutLinks(root, parts, access);
    switch (key.state) {
    case OpenedKey::State::Opened:
    case OpenedKey::State::Missing:
        return {};
    case OpenedKey::State::Link:
        return {{Kind::Link, {}, ERROR_ACCESS_DENIED}};
    case OpenedKey::State::Failed:
        break;
    }
    return {{Kind::Key, {}, key.error}};
}

// Without write access the key is still opened to read, so that each value it holds is
// reported on its own instead of the key as a whole.
RegistryFailures OpenForValues(HKEY root, const std::vector<std::string>& parts, OpenedKey& key)
{
    RegistryFailures failures = Open(root, parts, KEY_SET_VALUE, key);
    if (key.state == OpenedKey::State::Failed && key.error == ERROR_ACCESS_DENIED) failures = Open(root, parts, 0, key);
    return failures;
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
    if (!IsRegistryLink(key.get())) {
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

RegistryFailures DeleteRegistryValue(HKEY root, const std::vector<std::string>& parts, const std::string& name)
{
    OpenedKey key;
    RegistryFailures failures = OpenForValues(root, parts, key);
    if (key.state != OpenedKey::State::Opened) return failures;
    const std::wstring wide = WideFromUtf8(name);
    // A key opened only to read refuses even values it does not hold: those are no failure.
    if (::RegQueryValueExW(key.handle, wide.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_FILE_NOT_FOUND)
        return {};
    const LONG result = ::RegDeleteValueW(key.handle, wide.c_str());
    if (result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND) return {};
    return {{Kind::Value, name, result}};
}

RegistryFailures DeleteRegistryValues(HKEY root, const std::vector<std::string>& parts,
                                      const std::atomic<bool>& abortFlag,
                                      const std::function<bool(const std::string& name)>& keep)
{
    OpenedKey key;
    RegistryFailures failures = OpenForValues(root, parts, key);
    if (key.state != OpenedKey::State::Opened) return failures;
    std::wstring name(kValueNameChars, L'\0');
    // A value that stays keeps its place, so the next one is at the following index.
    for (DWORD index = 0; !abortFlag;) {
        DWORD length = kValueNameChars;
        LONG result = ::RegEnumValueW(key.handle, index, &name[0], &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS) break;
        if (result != ERROR_SUCCESS) {
            failures.push_back({Kind::Key, {}, result});
            break;
        }
        const std::wstring valueName(name.data(), length);
        if (keep && keep(Utf8FromWide(valueName))) {
            ++index;
            continue;
        }
        result = ::RegDeleteValueW(key.handle, valueName.c_str());
        if (result != ERROR_SUCCESS) {
            failures.push_back({Kind::Value, Utf8FromWide(valueName), result});
            ++index;
        }
    }
    return failures;
}

RegistryFailures DeleteRegistrySubkeys(HKEY root, const std::vector<std::string>& parts,
                                       const std::atomic<bool>& abortFlag)
{
    OpenedKey key;
    RegistryFailures failures = Open(root, parts, 0, key);
    if (key.state != OpenedKey::State::Opened) return failures;
    for (DWORD index = 0; !abortFlag;) {
        wchar_t child[kKeyNameChars];
        DWORD length = kKeyNameChars;
        const LONG result = ::RegEnumKeyExW(key.handle, index, child, &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS) break;
        if (result != ERROR_SUCCESS) {
            failures.push_back({Kind::Key, {}, result});
            break;
        }
        const std::wstring name(child, length);
        if (!DeleteTree(key.handle, name, Utf8FromWide(name), failures, abortFlag)) ++index;
    }
    return failures;
}

RegistryFailures DeleteRegistryKey(HKEY root, const std::vector<std::string>& parts, const std::atomic<bool>& abortFlag)
{
    if (parts.empty()) return {{Kind::Key, {}, ERROR_INVALID_PARAMETER}};
    OpenedKey parent;
    RegistryFailures failures = Open(root, {parts.begin(), parts.end() - 1}, 0, parent);
    if (parent.state != OpenedKey::State::Opened) return failures;
    // The key itself is opened as a link, if it is one, and refused like any other.
    UniqueKey self;
    if (::RegOpenKeyExW(parent.handle, WideFromUtf8(parts.back()).c_str(), REG_OPTION_OPEN_LINK, KEY_QUERY_VALUE,
                        self.put()) == ERROR_SUCCESS &&
        IsRegistryLink(self.get()))
        return {{Kind::Link, {}, ERROR_ACCESS_DENIED}};
    self.reset();
    DeleteTree(parent.handle, WideFromUtf8(parts.back()), {}, failures, abortFlag);
    // Below the key the failures are named from the key itself.
    for (RegistryFailure& f : failures)
        if (f.kind == Kind::Subkey && !f.name.empty() && f.name[0] == '\\') f.name.erase(0, 1);
    for (RegistryFailure& f : failures)
        if (f.kind == Kind::Subkey && f.name.empty()) f.kind = Kind::Key;
    return failures;
}

void LogRegistryFailures(EraseContext& c, const std::string& key, const RegistryFailures& failures)
{
    for (const RegistryFailure& f : failures) {
        std::string task = key;
        if (f.kind == Kind::Subkey)
            task = (!key.empty() && key.back() == '\\' ? key : key + "\\") + f.name;
        else if (f.kind == Kind::Value)
            task = key + "," + f.name;
        c.log.AddLogEntry(task, f.kind == Kind::Link ? "Refused: it lies through a registry link, never gone through"
                                                     : ErrorText(static_cast<DWORD>(f.error)));
    }
}

} // namespace sweepora
