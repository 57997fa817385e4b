#pragma once
// Opening a registry key the way the erasure library does: part by part, never through a
// registry link, so that a key's name is where it really is.
#include "platform/UniqueHandle.h"

#include <windows.h>

#include <string>
#include <vector>

namespace sweepora {

// The parts of a path below a root, in their own case; doubled and trailing backslashes
// make no empty parts.
std::vector<std::string> RegistryKeyParts(const std::string& path);

// The names of the key's direct subkeys, as listed.
std::vector<std::wstring> SubkeyNames(HKEY key);

// A registry link: a key of its own whose SymbolicLinkValue (REG_LINK) names another key.
bool IsRegistryLink(HKEY key);

struct OpenedKey {
    enum class State { Opened, Missing, Link, Failed };
    State state = State::Failed;
    HKEY handle = nullptr; // Opened: the key (the root itself when there are no parts)
    UniqueKey owner;       // what closes `handle` unless it is the root
    LONG error = ERROR_SUCCESS;
    std::size_t linkDepth = 0; // Link: the first `linkDepth` parts name the link
};

// Opens `parts` below `root` one at a time with REG_OPTION_OPEN_LINK, the last with `access`,
// and stops at the first part that is missing, cannot be opened or is a link.
OpenedKey OpenKeyWithoutLinks(HKEY root, const std::vector<std::string>& parts, REGSAM access);

} // namespace sweepora
