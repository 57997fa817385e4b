#pragma once
#include "engine/Session.h"

#include <string>

namespace sweepora::bench {

// Seeds the URL cache with content entries and cookies, walks both in test mode and then
// in live mode, and prints the walk rates and the address space reserved around the walks.
void BenchUrlCache(Session& session);

} // namespace sweepora::bench
