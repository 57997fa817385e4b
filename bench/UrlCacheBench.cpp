#include "UrlCacheBench.h"

#include "CacheSeeding.h"
#include "engine/UrlCacheCleaners.h"

#include <chrono>
#include <cstdio>

namespace sweepora::bench {

namespace {

constexpr int kContentEntries = 10000;
constexpr int kCookies = 2000;

double Seconds(Session& session, void (*cleaner)(Session&))
{
    const auto start = std::chrono::steady_clock::now();
    cleaner(session);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

int Count(const char* pattern, bool cookies)
{
    int n = 0;
    for (const seed::CacheEntry& e : seed::CacheEntries(pattern)) {
        const bool isCookie = e.url.rfind("Cookie:", 0) == 0;
        if (isCookie == cookies && e.url.rfind("Visited:", 0) != 0) ++n;
    }
    return n;
}

void Report(const char* name, int entries, double seconds)
{
    std::printf("%s %.1f entries/s\n", name, entries / seconds);
    std::fflush(stdout);
}

} // namespace

void BenchUrlCache(Session& session)
{
    seed::ClearUrlCache();
    const std::string body(512, 'c');
    for (int i = 0; i < kContentEntries; ++i)
        seed::AddContent("http://bench.example/page" + std::to_string(i) + ".htm", body);
    for (int i = 0; i < kCookies; ++i)
        seed::AddCookie("http://c" + std::to_string(i) + ".bench.example/", "id=" + std::to_string(i));
    const int content = Count(nullptr, false);
    const int cookies = Count(nullptr, true);
    std::printf("seeded %d content entries, %d cookies\n", content, cookies);

    const unsigned long long before = seed::ReservedAddressSpace();
    session.run.live = false;
    Report("cache-walk-10k-test", content, Seconds(session, CleanCacheFiles));
    Report("cookie-walk-2k-test", cookies, Seconds(session, CleanCookies));
    session.run.live = true;
    Report("cache-walk-10k-live", content, Seconds(session, CleanCacheFiles));
    Report("cookie-walk-2k-live", cookies, Seconds(session, CleanCookies));
    const unsigned long long after = seed::ReservedAddressSpace();
    std::printf("reserved-before %.1f MiB\nreserved-after %.1f MiB\n", before / 1048576.0, after / 1048576.0);
    std::printf("left %d content entries, %d cookies\n", Count(nullptr, false), Count(nullptr, true));
    seed::ClearUrlCache();
}

} // namespace sweepora::bench
