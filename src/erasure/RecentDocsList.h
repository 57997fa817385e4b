#pragma once
#include "erasure/EraseContext.h"

#include <windows.h>

#include <cstdint>
#include <string>

namespace sweepora {

// Asks the shell to empty its recent-documents list (a test run asks nothing), then counts
// what the list's key `keyPath` below HKEY_CURRENT_USER still holds: its values and those
// of its subkeys. -1 when the key exists but cannot be read; 0 when it is empty or gone.
std::int64_t ClearRecentDocsList(const EraseContext& context, const std::string& keyPath);

} // namespace sweepora
