#include "engine/UrlCacheCleaners.h"
#include "platform/ErrorText.h"
#include "platform/Text.h"
#include "platform/UniqueHandle.h"
#include "platform/WideText.h"
#include "safelists/CookieLoader.h"

#include "CacheSeeding.h"
#include "support/TestSupport.h"

#include <limits>
#include <memory>

using namespace sweepora;

namespace {

struct UrlCacheFixture : test::SessionFixture {
    UrlCacheFixture() { seed::ClearUrlCache(); }
    ~UrlCacheFixture() override { seed::ClearUrlCache(); }

    // The cache's entries as one text, so a test can look for a part of any of them.
    static std::string Cache(const char* pattern)
    {
        std::string all;
        for (const std::string& url : seed::CacheUrls(pattern)) all += url + "\n";
        return all;
    }
    static std::string CookieFile(const std::string& domain)
    {
        for (const seed::CacheEntry& e : seed::CacheEntries("Cookie:"))
            if (e.url.find(domain) != std::string::npos) return e.file;
        return {};
    }
};

constexpr auto npos = std::string::npos;

} // namespace

TEST_F(UrlCacheFixture, CacheFilesLoseContentOnlyAndVisitedUrlsOnlyLocalFiles)
{
    // A record longer than a page, first alone, then among others.
    ASSERT_FALSE(seed::AddContent("http://b.example/" + std::string(6000, 'b'), std::string(234, 'b')).empty());
    CleanCacheFiles(session);
    EXPECT_EQ(session.run.spaceSaved, 234);
    session.run.spaceSaved = 0;
    ASSERT_FALSE(seed::AddContent("http://a.example/", std::string(1000, 'a')).empty());
    // Named like the other containers' entries: theirs, in any case.
    ASSERT_FALSE(seed::AddContent("cOOkie:odd@c.example/", std::string(50, 'c')).empty());
    ASSERT_TRUE(seed::AddCookie("http://jar.example/", "id=1"));
    ASSERT_TRUE(seed::AddVisited("http://seen.example/"));
    ASSERT_TRUE(seed::AddVisited("FILE:///C:/secret/plans.txt"));

    CleanCacheFiles(session);
    CleanVisitedUrls(session);
    EXPECT_EQ(session.run.spaceSaved, 1234);
    EXPECT_EQ(Last(), "Testing : Internet Visited URLs  cleared|@");
    EXPECT_NE(Cache(nullptr).find("a.example"), npos);
    EXPECT_NE(Cache("Visited:").find("plans.txt"), npos);

    session.run.live = true;
    CleanCacheFiles(session);
    CleanVisitedUrls(session);
    EXPECT_EQ(session.run.spaceSaved, 2468); // visited entries count no space
    const std::string left = Cache(nullptr);
    for (const char* gone : {"a.example", "b.example", "plans.txt"}) EXPECT_EQ(left.find(gone), npos) << gone;
    for (const char* kept : {"cOOkie:odd", "jar.example", "seen.example"}) EXPECT_NE(left.find(kept), npos) << kept;

    // The counter goes past the 32-bit range instead of wrapping.
    seed::AddContent("http://big.example/", "0123456789");
    session.run.spaceSaved = std::numeric_limits<std::int32_t>::max() - 5;
    CleanCacheFiles(session);
    EXPECT_EQ(session.run.spaceSaved, std::int64_t{std::numeric_limits<std::int32_t>::max()} + 5);
}

TEST_F(UrlCacheFixture, CookiesKeepTheSafeListAndCountTheRest)
{
    ASSERT_TRUE(seed::AddCookie("http://kept.example/", "id=kept"));
    ASSERT_TRUE(seed::AddCookie("http://gone.example/", "id=gone"));
    FILETIME never = {};
    ASSERT_TRUE(::CommitUrlCacheEntryA("Cookie:nobody@nofile.example/", nullptr, never, never, COOKIE_CACHE_ENTRY,
                                       nullptr, 0, nullptr, nullptr));
    const std::string kept = CookieName(CookieFile("kept.example"));
    ASSERT_FALSE(kept.empty());
    session.safeLists.cookies.safe.Add(UpperCase(kept));
    const auto goneSize = static_cast<std::int32_t>(test::ReadFileBytes(CookieFile("gone.example")).size());

    CleanCookies(session);
    EXPECT_EQ(session.run.spaceSaved, goneSize);
    EXPECT_EQ(seed::CacheUrls("Cookie:").size(), 3u);
    EXPECT_EQ(Last(), "Testing : Internet Cookies|@");

    session.run.live = true;
    CleanCookies(session);
    EXPECT_EQ(session.run.spaceSaved, 2 * goneSize);
    EXPECT_EQ(seed::CacheUrls("Cookie:").size(), 1u);
    EXPECT_NE(Cache("Cookie:").find("kept.example"), npos);

    // The page lists what is left, less what its file keeps.
    test::WriteFileBytes(folder.File("SafeCookie.dat"), kept + "\r\n");
    seed::AddCookie("http://new.example/", "id=new");
    LoadCookies(session.safeLists.cookies, folder.Path(), session.Yielder());
    EXPECT_EQ(session.safeLists.cookies.safe.Items(), std::vector<std::string>{kept});
    EXPECT_EQ(session.safeLists.cookies.clean.Items(),
              std::vector<std::string>{CookieName(CookieFile("new.example"))});
}

TEST_F(UrlCacheFixture, EmptyCacheAndAbortBeforeAndDuring)
{
    CleanCacheFiles(session);
    EXPECT_EQ(Last(), "Testing : Internet Temporary files(Cache) |Nothing to clear: the cache holds no such entries");

    for (const char* url : {"http://1.example/", "http://2.example/", "http://3.example/"})
        seed::AddContent(url, "x");
    session.run.abort = true;
    const std::size_t lines = session.log.Lines().size();
    CleanCookies(session);
    CleanCacheFiles(session);
    EXPECT_EQ(session.log.Lines().size(), lines);

    session.run.abort = false;
    session.run.live = true;
    host.onYield = [this] { session.run.abort = true; };
    CleanCacheFiles(session);
    EXPECT_EQ(Last(), "Internet Temporary files(Cache) |Aborted by user");
    EXPECT_EQ(seed::CacheUrls(nullptr).size(), 1u); // the walk stopped after the second entry
}

TEST_F(UrlCacheFixture, WhatStaysIsSaidWithTheSystemsReasonAndNeverCalledCleared)
{
    const std::string locked = "http://locked.example/";
    ASSERT_FALSE(seed::AddContent(locked, "locked").empty());
    const std::string heldFile = seed::AddContent("http://held.example/", "held bytes");
    ASSERT_FALSE(heldFile.empty() || seed::AddContent("http://free.example/", "free").empty());
    // An entry another program has open through the library, and one whose file it holds.
    char record[4096];
    DWORD size = sizeof record;
    ASSERT_TRUE(::RetrieveUrlCacheEntryFileA(locked.c_str(), reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(record),
                                             &size, 0));
    // The library keeps the lock in its index past this process: it must be let go whatever happens.
    const std::unique_ptr<const char, void (*)(const char*)> unlock(
        locked.c_str(), [](const char* url) { ::UnlockUrlCacheEntryFileA(url, 0); });
    UniqueFile holder(::CreateFileA(heldFile.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder);

    session.run.live = true;
    CleanCacheFiles(session);
    const std::string sharing = ErrorText(ERROR_SHARING_VIOLATION), title = "Internet Temporary files(Cache) |";
    test::Texts lines;
    for (const LogLine& l : session.log.Lines()) lines.push_back(l.task + "|" + l.status);
    // The file's own line from the eraser, then one line per reason, then the end line.
    ASSERT_EQ(lines.size(), 3u) << ::testing::PrintToString(lines);
    EXPECT_EQ(lines[0], Utf8FromAnsi(heldFile) + "|" + sharing);
    EXPECT_EQ(lines[1], title + "2 entries could not be deleted: " + sharing);
    EXPECT_EQ(lines[2], title + "Not cleared: 2 of 3 entries could not be deleted");
    EXPECT_EQ(session.run.spaceSaved, 4); // only what went
    holder.reset();
    EXPECT_EQ(test::ReadFileBytes(heldFile), "held bytes");
    EXPECT_EQ(seed::CacheUrls(nullptr), std::vector<std::string>{locked});
}
