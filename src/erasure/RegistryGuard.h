#pragma once
// What an entry from a file of unknown origin may erase of the registry, judged on the
// key's canonical form. The README's "Protected places" lists the protected keys with reasons.
#include "erasure/EraseTargets.h"

#include <string>
#include <vector>

namespace sweepora {

// The forms of a key that the rules judge and that exclusions compare, from a key written
// as plugins and definitions write it ("HKCU\Software\X", "hkey_current_user\\software\x\",
// " HKLM \ Software "): the root's full name, then each part without the blanks around it,
// upper-cased, one backslash between, Wow6432Node left out (it is the same key seen by
// 32-bit programs). HKEY_CLASSES_ROOT is two keys, the user's and the machine's
// Software\Classes; HKEY_USERS\<sid>_Classes is that user's Software\Classes (only this
// user's own hive may be erased: every other key below HKEY_USERS is refused whole);
// HKEY_CURRENT_CONFIG lies in HKEY_LOCAL_MACHINE\SYSTEM. Empty when the text names no key
// of a known root. These are for comparing only: the key to open is the one written.
std::vector<std::string> CanonicalRegistryKeys(const std::string& key);

// Why the action may not be carried out on `key` (for the value actions, on its value
// `value`), or empty text when it may. The line says what was refused and why.
std::string RegistryRefusal(RegistryAction action, const std::string& key, const std::string& value);

} // namespace sweepora
