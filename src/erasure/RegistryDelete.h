#pragma once
// The registry deletes themselves. Each opens its key part by part without following a
// registry link (see RegistryOpen), steps over what it cannot delete and hands those
// failures back; a missing key or value is no failure.
#include "erasure/EraseContext.h"

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

namespace sweepora {

// Something a delete found and could not delete.
struct RegistryFailure {
    enum class Kind { Key, Subkey, Value, Link };
    Kind kind;
    // Subkey: its path below the key ("a\b"); Value: the value's name; Key: empty, the key
    // itself could not be opened or walked; Link: the key lies through a registry link.
    std::string name;
    LONG error;
};
using RegistryFailures = std::vector<RegistryFailure>;

// Deletes one value (UTF-8 name).
RegistryFailures DeleteRegistryValue(HKEY root, const std::vector<std::string>& parts, const std::string& name);

// Deletes every value of the key but those `keep` names, until none is left or `abortFlag`
// is set. Does not look at the live mode: the caller decides.
RegistryFailures DeleteRegistryValues(HKEY root, const std::vector<std::string>& parts,
                                      const std::atomic<bool>& abortFlag,
                                      const std::function<bool(const std::string& name)>& keep = nullptr);

// Deletes every immediate subkey with everything below it; the key itself stays. A
// registry link among them goes as a link: what it points at is never reached.
RegistryFailures DeleteRegistrySubkeys(HKEY root, const std::vector<std::string>& parts,
                                       const std::atomic<bool>& abortFlag);

// Deletes the key with everything below it.
RegistryFailures DeleteRegistryKey(HKEY root, const std::vector<std::string>& parts, const std::atomic<bool>& abortFlag);

// One line per failure, named as the user wrote the key: a subkey below it after a
// backslash, a value after a comma as in a DelRegValue entry.
void LogRegistryFailures(EraseContext& context, const std::string& key, const RegistryFailures& failures);

} // namespace sweepora
