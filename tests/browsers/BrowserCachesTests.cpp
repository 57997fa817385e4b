#include "browsers/BrowserCaches.h"
#include "platform/ErrorText.h"
#include "platform/LongPath.h"
#include "platform/UniqueHandle.h"

#include "BrowserBoxTesting.h"

using namespace sweepora;
using namespace sweepora::test;

namespace {

// Cache files as Chromium 156 and Firefox 153 leave them, relative to the profile (or local) folder.
const Texts kChromiumCache = {
    "Cache\\Cache_Data\\371e6dedbd15a9a9_0", "Cache\\Cache_Data\\index", "Cache\\Cache_Data\\index-dir\\the-real-index",
    "Cache\\No_Vary_Search\\journal.baj", "Code Cache\\js\\index", "Code Cache\\js\\1a2b_0", "GPUCache\\data_1",
    "GPUCache\\index", "DawnGraphiteCache\\data_0", "DawnWebGPUCache\\data_0", "Media Cache\\f_000001",
    "Application Cache\\Cache\\data_0"};
const Texts kFirefoxCache = {"cache2\\entries\\467D01BD730C900D", "cache2\\index", "cache2\\index.log",
                             "cache2\\doomed\\1", "startupCache\\urlCache.bin", "OfflineCache\\index.sqlite"};
const Texts kShared = {"GrShaderCache\\data_0", "ShaderCache\\data_1", "GraphiteDawnCache\\index",
                       "GPUPersistentCache\\GPUCache\\J2W3\\cache.db"};
// Never a cache: history, storage (a site's service-worker caches included), settings.
const Texts kChromiumKept = {"History", "Bookmarks", "Preferences", "Service Worker\\Database\\CURRENT",
                             "Service Worker\\CacheStorage\\41bc\\030f0c41", "Service Worker\\ScriptCache\\2cc8_0",
                             "Local Storage\\leveldb\\000003.log"};
const Texts kFirefoxKept = {"thumbnails\\a.png", "jumpListCache\\b.ico"};

bool IsIndex(const std::string& file)
{
    const std::string name = file.substr(file.find_last_of('\\') + 1);
    return name == "index" || name == "the-real-index" || name == "index.log";
}

struct BrowserCachesFixture : test::SessionFixture {
    std::string userData = folder.File("User Data"), ffLocal = folder.File("Local Profiles");

    void SetUp() override
    {
        for (const char* profile : {"Default", "Profile 1"}) {
            for (const std::string& file : kChromiumCache) Write(userData + "\\" + profile + "\\" + file);
            for (const std::string& file : kChromiumKept) Write(userData + "\\" + profile + "\\" + file);
            chromium.push_back(
                {BrowserId::Chrome, profile, LongPath(userData + "\\" + profile), L"", LongPath(userData)});
        }
        for (const std::string& file : kShared) Write(userData + "\\" + file);
        Write(userData + "\\Local State");
        for (const char* profile : {"a1.default", "b2.work"}) {
            const std::string roaming = folder.File("Roaming Profiles\\") + profile;
            const std::string local = ffLocal + "\\" + profile;
            for (const std::string& file : kFirefoxCache) Write(local + "\\" + file);
            for (const std::string& file : kFirefoxKept) Write(local + "\\" + file);
            Write(roaming + "\\places.sqlite");
            firefox.push_back({BrowserId::Firefox, profile, LongPath(roaming), LongPath(local),
                               LongPath(folder.File("Roaming Profiles"))});
        }
    }

    static void Write(const std::string& path) { Put(path, "https://visited.example/ " + path); }

    // One run over all four profiles, as the box runs them.
    std::vector<StoreOutcome> Run(bool live)
    {
        session.run.live = live;
        EraseContext context = session.Erasure();
        const auto clean = BrowserCacheRun();
        std::vector<StoreOutcome> outcomes;
        for (const std::vector<BrowserProfile>* family : {&chromium, &firefox})
            for (const BrowserProfile& profile : *family)
                for (const StoreOutcome& o : clean(context, profile)) outcomes.push_back(o);
        return outcomes;
    }

    std::vector<BrowserProfile> chromium, firefox;
};

} // namespace

TEST_F(BrowserCachesFixture, EveryCacheFileOfEveryProfileGoesAndTheSharedOnesOnce)
{
    const auto before = TakeFolder(folder.Path());
    Run(false);
    EXPECT_EQ(TakeFolder(folder.Path()), before); // the test run changes nothing
    const std::size_t previewLines = session.log.Lines().size();

    session.log.Clear();
    const std::vector<StoreOutcome> outcomes = Run(true);
    std::vector<std::string> stores;
    for (const StoreOutcome& o : outcomes) {
        stores.push_back(o.store);
        EXPECT_TRUE(o.wholeFiles);
        EXPECT_EQ(StoreStatus(o), "Cleared");
    }
    EXPECT_EQ(stores, (Texts{"cache", "shared cache", "cache", "cache", "cache"}));
    // One line per file in both runs, and the same files named.
    EXPECT_EQ(session.log.Lines().size(), previewLines);
    EXPECT_EQ(previewLines, 2 * (kChromiumCache.size() + kFirefoxCache.size()) + kShared.size());

    for (const char* profile : {"\\Default\\", "\\Profile 1\\"}) {
        for (const std::string& file : kChromiumCache) EXPECT_FALSE(Exists(userData + profile + file)) << file;
        for (const std::string& file : kChromiumKept)
            EXPECT_EQ(test::ReadFileBytes(userData + profile + file), before.at("User Data" + (profile + file))) << file;
        EXPECT_TRUE(std::filesystem::is_directory(userData + profile + "Cache\\Cache_Data"));
    }
    for (const std::string& file : kShared) EXPECT_FALSE(Exists(userData + "\\" + file)) << file;
    EXPECT_TRUE(Exists(userData + "\\Local State"));
    for (const char* profile : {"\\a1.default\\", "\\b2.work\\"}) {
        for (const std::string& file : kFirefoxCache) EXPECT_FALSE(Exists(ffLocal + profile + file)) << file;
        for (const std::string& file : kFirefoxKept) EXPECT_TRUE(Exists(ffLocal + profile + file)) << file;
        EXPECT_TRUE(Exists(folder.File("Roaming Profiles") + profile + "places.sqlite"));
    }
}

TEST_F(BrowserCachesFixture, WhileTheBrowserRunsItsHeldFileAndTheIndexesStayAndTheRestGoes)
{
    // As Chromium holds "lockfile" in User Data, and one cache entry it is reading.
    const std::string lockfile = userData + "\\lockfile";
    UniqueFile lock(
        ::CreateFileA(lockfile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(lock);
    const std::string held = userData + "\\Default\\Cache\\Cache_Data\\371e6dedbd15a9a9_0";
    UniqueFile entry(::CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(entry);

    Run(true);
    bool saidHeld = false;
    for (const LogLine& line : session.log.Lines())
        saidHeld = saidHeld || (line.task == held && line.status == ErrorText(ERROR_SHARING_VIOLATION));
    EXPECT_TRUE(saidHeld) << "the held file has its own line";
    EXPECT_TRUE(Exists(held));
    for (const char* profile : {"\\Default\\", "\\Profile 1\\"})
        for (const std::string& file : kChromiumCache)
            if (userData + profile + file != held) {
                EXPECT_EQ(Exists(userData + profile + file), IsIndex(file)) << profile << file;
            }
    EXPECT_TRUE(Exists(userData + "\\GraphiteDawnCache\\index"));
    EXPECT_FALSE(Exists(userData + "\\GrShaderCache\\data_0"));
    // Firefox does not run: its indexes go with the rest.
    for (const std::string& file : kFirefoxCache) EXPECT_FALSE(Exists(ffLocal + "\\a1.default\\" + file)) << file;
}

TEST_F(BrowserCachesFixture, OperasCachesInLocalAppDataGoAndItsRoamingProfileStays)
{
    const std::string roaming = folder.File("Roaming\\Opera GX Stable"), local = folder.File("Local\\Opera GX Stable");
    for (const std::string& file : kChromiumCache) Write(local + "\\" + file);
    for (const std::string& file : kChromiumKept) Write(roaming + "\\" + file);
    const BrowserProfile opera{BrowserId::OperaGX, "Default", LongPath(roaming), LongPath(local), LongPath(roaming)};
    const auto before = TakeFolder(roaming);
    for (bool live : {false, true}) {
        session.run.live = live;
        EraseContext context = session.Erasure();
        EXPECT_EQ(Summary(BrowserCacheRun()(context, opera)), Texts{"cache|0|"});
    }
    for (const std::string& file : kChromiumCache) EXPECT_FALSE(Exists(local + "\\" + file)) << file;
    EXPECT_EQ(TakeFolder(roaming), before);
}
