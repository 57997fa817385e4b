#pragma once
// What a built-in cleaner asks of one of the keys it knows (the Run list, the typed
// addresses), and what became of it. The cleaner describes; the erasure library opens the
// key without going through a registry link, deletes, and says what went.
#include "erasure/EraseContext.h"
#include "erasure/RegistryDelete.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

namespace sweepora {

struct KeyCleaning {
    enum class Kind {
        Values, // every value of the key (and with `subkeysToo` of each immediate subkey); the keys stay
        Subkeys // every immediate subkey with its tree; the key stays
    };
    HKEY root = HKEY_CURRENT_USER;
    std::string path; // below the root
    Kind kind = Kind::Values;
    bool subkeysToo = false;
    std::function<bool(const std::string& name)> keep; // Values: the values that stay
};

struct KeyCleaned {
    // The keys that were there and were cleaned: opened for cleaning and, in a run, left
    // without a failure. A missing key is not counted.
    std::int64_t keys = 0;
    // The values or subkeys that went (in a test run: that are there to go).
    std::int64_t removed = 0;
    RegistryFailures failures; // each logged already, under the key's path
};

// Cleans the key as asked; a test run deletes nothing. Failures are logged one line each.
KeyCleaned CleanRegistryKey(EraseContext& context, const KeyCleaning& request);

} // namespace sweepora
