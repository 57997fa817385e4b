#pragma once
#include "erasure/EraseContext.h"

#include <string>

namespace sweepora {

// Deletes one entry of the internet library's cache (a page, a cookie, a visited address)
// by its name, with the local file the library keeps for it; a test run deletes nothing.
// False when the library refused.
bool EraseUrlCacheEntry(const EraseContext& context, const std::string& name);

} // namespace sweepora
