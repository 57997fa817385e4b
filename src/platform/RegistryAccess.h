#pragma once
// Small registry procedures. The bulk deletions step over what they cannot delete and hand
// those failures back; they log nothing themselves.
#include <windows.h>

#include <atomic>
#include <string>
#include <string_view>
#include <vector>

namespace sweepora {

// Access used to write or delete values (read, write and create-link rights).
constexpr REGSAM kWriteAccess = 0x2003F;
// Access used to walk subkeys.
constexpr REGSAM kReadAccess = 0x20019;

// The text of a REG_SZ value: up to an embedded NUL, or all of it when stored without one.
// Any other type, or a missing key or value, gives empty text. ANSI names.
std::string GetRegString(HKEY root, const std::string& path, const std::string& name);

// Opens the key (creating it when needed; the create disposition goes to `disposition`)
// and writes `data` without a terminating zero. Only REG_SZ and REG_BINARY are written.
// ANSI names and data.
void SetRegString(HKEY root, const std::string& path, const std::string& name,
                  const std::string& data, DWORD type, DWORD& disposition);

// One of the registry's predefined keys, by its full name and, where it has one, its short one.
struct RegistryRoot {
    const char* fullName;  // "HKEY_CURRENT_USER"
    const char* shortName; // "HKCU", or empty
    HKEY handle;
};

// The root `name` names: its full name in exact case, or, with `loose`, either name in any
// case. nullptr for none.
const RegistryRoot* FindRegistryRoot(std::string_view name, bool loose);

// The predefined key named before the first backslash (blanks around it allowed, exact case),
// or nullptr for an unknown name. Throws std::invalid_argument for a path without a backslash.
HKEY RootKeyFromPath(const std::string& path);

// Something a bulk deletion found and could not delete.
struct RegistryFailure {
    enum class Kind { Key, Subkey, Value };
    Kind kind;
    // Subkey: its path below the key ("a\b"); Value: the value's name; Key: empty,
    // the key named by the call itself could not be opened or walked.
    std::string name;
    LONG error;
};
using RegistryFailures = std::vector<RegistryFailure>;

// Deletes one value (UTF-8 path and name). Empty when it was deleted or there was nothing to
// delete (no such key or value); otherwise the key that could not be opened or the value
// that could not be deleted, with the system's reason.
RegistryFailures DeleteRegValue(HKEY root, const std::string& path, const std::string& name);

// Deletes every value of the key (UTF-8 path) until none is left or `abortFlag` is set,
// stepping over a value that cannot be deleted. Does not look at the live mode: the caller
// decides. A missing key is no failure.
RegistryFailures DeleteAllRegValues(HKEY root, const std::string& path, const std::atomic<bool>& abortFlag);

// Deletes every immediate subkey of the key (UTF-8 path) with everything below it; only when
// `live`. A subkey that cannot be deleted is stepped over. A registry link among them is
// removed as a link and never followed. The key itself is kept.
RegistryFailures DeleteSubKeys(HKEY root, const std::string& path, bool live, const std::atomic<bool>& abortFlag);

// Deletes the key (UTF-8 path below the root) with everything below it; a link goes as a
// link. A missing key is no failure.
RegistryFailures DeleteRegKey(HKEY root, const std::string& path, const std::atomic<bool>& abortFlag);

} // namespace sweepora
