#pragma once
// What an entry from a file of unknown origin may never clean, whatever it says.
#include "erasure/ProtectedFolders.h"

#include <string>

namespace sweepora {

// True for a mask without a fixed part ("*", "*.*", "?*"): on this system it names every file.
bool MaskMatchesEverything(const std::string& mask);

// Why a registry key may not be deleted or emptied (a hive root, a key directly below one
// such as HKEY_CURRENT_USER\Software, or a key Windows itself is built on), or empty.
// `key` starts with the root's full name.
std::string RegistryKeyRefusal(const std::string& key);

} // namespace sweepora
