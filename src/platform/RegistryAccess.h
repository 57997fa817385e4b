#pragma once
// Small registry procedures for the program's own settings. What a cleaner erases is
// opened and deleted by the erasure library (src/erasure), never here.
#include <windows.h>

#include <string>
#include <string_view>

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

// Deletes one of the program's own settings values (UTF-8 path and name); whatever a
// cleaner erases goes through the erasure library instead. True when the value is gone.
bool DeleteOwnSettingValue(HKEY root, const std::string& path, const std::string& name);

} // namespace sweepora
