#pragma once
// Small registry procedures on the ANSI functions. None reports a registry failure:
// a missing key or value, a refused access or a failed deletion ends the operation quietly.
#include <windows.h>

#include <atomic>
#include <string>

namespace sweepora {

// Access used to write or delete values (read, write and create-link rights).
constexpr REGSAM kWriteAccess = 0x2003F;
// Access used to walk subkeys.
constexpr REGSAM kReadAccess = 0x20019;

// The text of a REG_SZ value: up to an embedded NUL, or all of it when stored without one.
// Any other type, or a missing key or value, gives empty text.
std::string GetRegString(HKEY root, const std::string& path, const std::string& name);

// Opens the key (creating it when needed; the create disposition goes to `disposition`)
// and writes `data` without a terminating zero. Only REG_SZ and REG_BINARY are written.
void SetRegString(HKEY root, const std::string& path, const std::string& name,
                  const std::string& data, DWORD type, DWORD& disposition);

void DeleteRegValue(HKEY root, const std::string& path, const std::string& name);

// The predefined key named before the first backslash (blanks around it allowed, exact case),
// or nullptr for an unknown name. Throws std::invalid_argument for a path without a backslash.
HKEY RootKeyFromPath(const std::string& path);

// Deletes every value of the key, always taking value 0, until none is left, a deletion
// fails or `abortFlag` is set. Does not look at the live mode: the caller decides.
void DeleteAllRegValues(HKEY root, const std::string& path, const std::atomic<bool>& abortFlag);

// Deletes the immediate subkeys of the key (one delete each, no descent); only when `live`.
void DeleteSubKeys(HKEY root, const std::string& path, bool live, const std::atomic<bool>& abortFlag);

} // namespace sweepora
