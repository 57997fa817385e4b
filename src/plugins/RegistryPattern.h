#pragma once
// Registry targets whose key holds "*" or "?" in a part, for the definitions' wildcard keys
// ("HKCU\Software\Microsoft\Office\*\*\File MRU").
#include "erasure/EraseTargets.h"

#include <string>
#include <vector>

namespace sweepora {

// The existing keys the target's key stands for, each a target of its own with the same
// action, value and text; a target without wildcards comes back as it is. A wildcard part
// must be followed by a fixed part unless the target names a value, so that no wildcard
// chooses the key that goes whole; otherwise nothing comes back and `refusals` says why.
// Subkeys are matched by name, ignoring case; registry links are never gone through. Each
// key found is still judged by the guard when it is carried out.
std::vector<RegistryTarget> ExpandRegistryTarget(const RegistryTarget& target, std::vector<std::string>& refusals);

} // namespace sweepora
