#include "UrlCacheBench.h"

#include "BenchTiming.h"
#include "CacheSeeding.h"
#include "engine/UrlCacheCleaners.h"
#include "platform/UniqueHandle.h"
#include "platform/UrlCacheWalk.h"

#include <wininet.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

namespace sweepora::bench {

namespace {

constexpr int kContentEntries = 10000;
constexpr int kCookies = 2000;
constexpr int kRounds = 5;

int Count(const char* pattern, bool cookies)
{
    int n = 0;
    for (const seed::CacheEntry& e : seed::CacheEntries(pattern)) {
        const bool isCookie = e.url.rfind("Cookie:", 0) == 0;
        if (isCookie == cookies && e.url.rfind("Visited:", 0) != 0) ++n;
    }
    return n;
}

void SeedContent()
{
    const std::string body(512, 'c');
    for (int i = 0; i < kContentEntries; ++i)
        seed::AddContent("http://bench.example/page" + std::to_string(i) + ".htm", body);
}

// What the library itself allows: find-first and find-next into one buffer large enough
// for any record, and nothing else; with `erase`, each content entry is deleted as well.
void BareWalk(bool erase)
{
    std::vector<char> block(64 * 1024);
    auto* info = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(block.data());
    DWORD size = static_cast<DWORD>(block.size());
    UniqueCacheFind find(::FindFirstUrlCacheEntryA(nullptr, info, &size));
    if (!find) return;
    do {
        if (erase && std::strncmp(info->lpszSourceUrlName, "Cookie:", 7) != 0)
            ::DeleteUrlCacheEntryA(info->lpszSourceUrlName);
        size = static_cast<DWORD>(block.size());
    } while (::FindNextUrlCacheEntryA(find.get(), info, &size));
}

double Rate(int entries, double seconds)
{
    return entries / seconds;
}

void Report(const char* name, double rate)
{
    std::printf("%s %.1f entries/s\n", name, rate);
    std::fflush(stdout);
}

void Ratio(const char* name, double rate, double floor, const char* target)
{
    std::printf("ratio %s %.2f%s\n", name, rate / floor, target);
    std::fflush(stdout);
}

} // namespace

void BenchUrlCache(Session& session)
{
    seed::ClearUrlCache();
    SeedContent();
    for (int i = 0; i < kCookies; ++i)
        seed::AddCookie("http://c" + std::to_string(i) + ".bench.example/", "id=" + std::to_string(i));
    const int content = Count(nullptr, false);
    const int cookies = Count(nullptr, true);
    std::printf("seeded %d content entries, %d cookies\n", content, cookies);

    // Test walks change nothing, so the floor and the walk take turns and the best of
    // each counts: a walk that happened to run on a busy moment does not decide.
    const unsigned long long before = seed::ReservedAddressSpace();
    session.run.live = false;
    double floorRate = 0;
    double testRate = 0;
    for (int round = 0; round < kRounds; ++round) {
        floorRate = std::max(floorRate, Rate(content, Seconds([] { BareWalk(false); })));
        testRate = std::max(testRate, Rate(content, Seconds([&] { CleanCacheFiles(session); })));
    }
    Report("cache-walk-10k-floor", floorRate);
    Report("cache-walk-10k-test", testRate);
    Report("cookie-walk-2k-test", Rate(cookies, Seconds([&] { CleanCookies(session); })));

    // Live walks are bounded by the deletions: their floor deletes the same entries.
    const double liveFloorRate = Rate(content, Seconds([] { BareWalk(true); }));
    Report("cache-walk-10k-live-floor", liveFloorRate);
    SeedContent();
    session.run.live = true;
    const double liveRate = Rate(content, Seconds([&] { CleanCacheFiles(session); }));
    Report("cache-walk-10k-live", liveRate);
    Report("cookie-walk-2k-live", Rate(cookies, Seconds([&] { CleanCookies(session); })));
    const unsigned long long after = seed::ReservedAddressSpace();
    std::printf("reserved-before %.1f MiB\nreserved-after %.1f MiB\n", before / 1048576.0, after / 1048576.0);
    std::printf("left %d content entries, %d cookies\n", Count(nullptr, false), Count(nullptr, true));
    Ratio("cache-walk-10k-test/floor", testRate, floorRate, " (target 0.9)");
    Ratio("cache-walk-10k-live/live-floor", liveRate, liveFloorRate, "");
    seed::ClearUrlCache();
}

} // namespace sweepora::bench
