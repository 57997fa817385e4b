#include "engine/UrlCacheCleaners.h"
#include "safelists/CookieLoader.h"
#include "storage/Text.h"

#include "CacheSeeding.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

using namespace sweepora;
using seed::CacheUrls;

namespace {

using Urls = std::vector<std::string>;

struct UrlCacheFixture : ::testing::Test {
    UrlCacheFixture() { seed::ClearUrlCache(); }
    ~UrlCacheFixture() override { seed::ClearUrlCache(); }

    RegistrySettingsStore store{"Software\\SweeporaTests\\UrlCacheStore"};
    test::FakeHost host;
    test::FakeDesktop desktop;
    test::TempFolder folder;
    Session session{store, host, desktop, folder.File("sweepora.exe")};

    bool Has(const char* pattern, const std::string& part) const
    {
        const Urls urls = CacheUrls(pattern);
        return std::any_of(urls.begin(), urls.end(), [&](const std::string& u) { return u.find(part) != u.npos; });
    }
    const LogLine& Last() const { return session.log.Lines().back(); }
    // The cookie file names, in the cache's order.
    Urls CookieFiles() const
    {
        Urls names;
        for (const seed::CacheEntry& e : seed::CacheEntries("Cookie:")) names.push_back(CookieName(e.file));
        return names;
    }
};

} // namespace

TEST_F(UrlCacheFixture, CacheFilesCountsAndDeletesContentOnly)
{
    ASSERT_FALSE(seed::AddContent("http://a.example/page.htm", std::string(1000, 'a')).empty());
    ASSERT_FALSE(seed::AddContent("http://b.example/page.htm", std::string(234, 'b')).empty());
    // A content entry named like the other containers' entries belongs to their cleaners.
    ASSERT_FALSE(seed::AddContent("cOOkie:odd@c.example/", std::string(50, 'c')).empty());
    ASSERT_TRUE(seed::AddCookie("http://jar.example/", "id=1"));
    ASSERT_TRUE(seed::AddVisited("http://seen.example/"));

    CleanCacheFiles(session);
    EXPECT_EQ(session.run.spaceSaved, 1234);
    EXPECT_EQ(Last().task, "Testing : Internet Temporary files(Cache) cleared");
    EXPECT_TRUE(Has(nullptr, "a.example"));

    session.run.live = true;
    session.run.spaceSaved = 0;
    CleanCacheFiles(session);
    EXPECT_EQ(session.run.spaceSaved, 1234);
    EXPECT_EQ(Last().task, "Internet Temporary files(Cache) cleared");
    EXPECT_FALSE(Has(nullptr, "a.example"));
    EXPECT_FALSE(Has(nullptr, "b.example"));
    EXPECT_TRUE(Has(nullptr, "cOOkie:odd"));
    EXPECT_TRUE(Has("Cookie:", "jar.example"));
    EXPECT_TRUE(Has("Visited:", "seen.example"));

    // A sum past the 32-bit range is not applied.
    seed::AddContent("http://big.example/", std::string(10, 'x'));
    session.run.spaceSaved = std::numeric_limits<std::int32_t>::max() - 5;
    CleanCacheFiles(session);
    EXPECT_EQ(session.run.spaceSaved, std::numeric_limits<std::int32_t>::max() - 5);
}

TEST_F(UrlCacheFixture, VisitedUrlsLosesOnlyLocalFiles)
{
    ASSERT_TRUE(seed::AddVisited("FILE:///C:/secret/plans.txt"));
    ASSERT_TRUE(seed::AddVisited("http://web.example/"));
    CleanVisitedUrls(session);
    EXPECT_TRUE(Has("Visited:", "plans.txt"));
    EXPECT_EQ(Last().task, "Testing : Internet Visited URLs  cleared");

    session.run.live = true;
    CleanVisitedUrls(session);
    EXPECT_FALSE(Has("Visited:", "plans.txt"));
    EXPECT_TRUE(Has("Visited:", "web.example"));
    EXPECT_EQ(session.run.spaceSaved, 0);
}

TEST_F(UrlCacheFixture, CookiesKeepTheSafeListAndCountTheRest)
{
    ASSERT_TRUE(seed::AddCookie("http://kept.example/", "id=kept"));
    ASSERT_TRUE(seed::AddCookie("http://gone.example/", "id=gone"));
    // A cookie entry that keeps no file.
    FILETIME never = {};
    ASSERT_TRUE(::CommitUrlCacheEntryA("Cookie:nobody@nofile.example/", nullptr, never, never, COOKIE_CACHE_ENTRY,
                                       nullptr, 0, nullptr, nullptr));
    std::string keptFile, goneFile;
    for (const seed::CacheEntry& e : seed::CacheEntries("Cookie:")) {
        if (e.url.find("kept.example") != e.url.npos) keptFile = e.file;
        if (e.url.find("gone.example") != e.url.npos) goneFile = e.file;
    }
    ASSERT_FALSE(keptFile.empty());
    session.safeLists.cookies.safe.Add(UpperCase(CookieName(keptFile)));
    const auto goneSize = static_cast<std::int32_t>(test::ReadFileBytes(goneFile).size());

    CleanCookies(session);
    EXPECT_EQ(session.run.spaceSaved, goneSize);
    EXPECT_EQ(CacheUrls("Cookie:").size(), 3u);
    EXPECT_EQ(Last().task, "Testing : Internet Cookies");

    session.run.live = true;
    session.run.spaceSaved = 0;
    CleanCookies(session);
    EXPECT_EQ(session.run.spaceSaved, goneSize);
    EXPECT_EQ(CacheUrls("Cookie:").size(), 1u);
    EXPECT_TRUE(Has("Cookie:", "kept.example"));
    EXPECT_FALSE(Has("Cookie:", "nofile.example"));

    // The page lists what is left, less the kept cookies.
    test::WriteFileBytes(folder.File("SafeCookie.dat"), CookieName(keptFile) + "\r\n");
    seed::AddCookie("http://new.example/", "id=new");
    LoadCookies(session.safeLists.cookies, folder.Path(), session.Yielder());
    EXPECT_EQ(session.safeLists.cookies.safe.Items(), Urls{CookieName(keptFile)});
    Urls clean = CookieFiles();
    clean.erase(std::remove(clean.begin(), clean.end(), CookieName(keptFile)), clean.end());
    EXPECT_EQ(session.safeLists.cookies.clean.Items(), clean);
    EXPECT_EQ(clean.size(), 1u);
}

TEST_F(UrlCacheFixture, EmptyCacheAndAbortBeforeAndDuring)
{
    CleanCacheFiles(session);
    EXPECT_EQ(Last().task, "Testing : Internet Temporary files(Cache) cleared");
    EXPECT_EQ(session.run.spaceSaved, 0);

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
    EXPECT_EQ(Last().task, "Internet Temporary files(Cache) ");
    EXPECT_EQ(Last().status, "Aborted by user");
    EXPECT_EQ(CacheUrls(nullptr).size(), 1u); // the first two went, the walk stopped there
}
