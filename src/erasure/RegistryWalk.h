#pragma once
// The one registry walker: it expands a key pattern ("HKCU\Software\Microsoft\Office\*\*\File MRU")
// as it opens the keys, never through a registry link, and has every key it reaches judged
// before anyone may erase anything of it.
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

namespace sweepora {

// A key the walk reached and the judge allowed.
struct WalkedKey {
    std::string text;               // the root as written, then each part as found
    std::vector<std::string> parts; // below the root
};

struct RegistryWalkRequest {
    HKEY root = nullptr;
    std::string rootText;           // the root as written
    std::vector<std::string> parts; // below the root; any part may hold "*" and "?"
    // A wildcard in the last part chooses keys that go whole unless the target names a value.
    bool namesValue = false;
    // Why the key (its text as for WalkedKey) may not be erased; empty when it may.
    std::function<std::string(const std::string& key)> judge;
    std::function<void(const WalkedKey& key)> visit;
    std::function<void(const std::string& why)> refuse;
};

// Walks the request's keys in enumeration order. Subkeys match a wildcard part by name,
// ignoring case; a key that is a registry link, or that a fixed part reaches through one, is
// refused and never gone through; a missing key matches nothing. A wildcard in the last part
// of a key pattern (without a value) is refused before anything is opened.
void WalkRegistryPattern(const RegistryWalkRequest& request, const std::atomic<bool>& abortFlag);

} // namespace sweepora
