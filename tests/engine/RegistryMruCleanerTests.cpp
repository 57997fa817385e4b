#include "engine/RegistryMruCleaners.h"
#include "safelists/TypedUrlLoader.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace sweepora;

namespace {

constexpr const char* kStoreRoot = "Software\\SweeporaTests\\MruStore";
using Names = std::vector<std::string>;

struct MruFixture : ::testing::Test {
    test::ScratchKey run{kRunMruKey};
    test::ScratchKey docFind{kDocFindMruKey};
    test::ScratchKey filesNamed{kFilesNamedMruKey};
    test::ScratchKey typed{kTypedUrlsKey};
    RegistrySettingsStore store{kStoreRoot};
    test::FakeHost host;
    test::FakeDesktop desktop;
    test::TempFolder folder;
    Session session{store, host, desktop, folder.File("sweepora.exe")};

    void SeedTypedUrls()
    {
        test::WriteString(HKEY_CURRENT_USER, kTypedUrlsKey, "url1", "http://www.Kept.example/");
        test::WriteString(HKEY_CURRENT_USER, kTypedUrlsKey, "url2", "http://gone.example/");
        test::WriteString(HKEY_CURRENT_USER, kTypedUrlsKey, "url3", "http://also-gone.example/");
    }
    const LogLine& LastLine() const { return session.log.Lines().back(); }
};

} // namespace

TEST_F(MruFixture, RunHistoryLosesEveryValueButKeepsItsKey)
{
    test::WriteString(HKEY_CURRENT_USER, kRunMruKey, "a", "notepad\\1");
    test::WriteString(HKEY_CURRENT_USER, kRunMruKey, "b", "regedit\\1");
    test::WriteString(HKEY_CURRENT_USER, kRunMruKey, "MRUList", "ba");

    CleanRunHistory(session); // test mode: only counted and logged
    EXPECT_EQ(test::ValueNames(HKEY_CURRENT_USER, kRunMruKey).size(), 3u);
    EXPECT_EQ(LastLine().task, "Testing : Run History Cleared ");
    EXPECT_NE(LastLine().status.find(" @ "), std::string::npos);

    session.run.live = true;
    session.run.abort = true;
    CleanRunHistory(session);
    EXPECT_EQ(test::ValueNames(HKEY_CURRENT_USER, kRunMruKey).size(), 3u);
    EXPECT_EQ(LastLine().task, "Run History Cleared ");
    EXPECT_EQ(LastLine().status, "**Aborted**");

    session.run.abort = false;
    CleanRunHistory(session);
    EXPECT_TRUE(test::ValueNames(HKEY_CURRENT_USER, kRunMruKey).empty());
    EXPECT_TRUE(test::KeyExists(HKEY_CURRENT_USER, kRunMruKey));
    EXPECT_EQ(session.run.registryKeys, 3);
}

TEST_F(MruFixture, FindHistoryCountsBothKeysEvenWhenMissing)
{
    CleanFindHistory(session);
    EXPECT_EQ(session.run.registryKeys, 2);
    EXPECT_EQ(LastLine().task, "Testing : Find File List cleared");

    test::WriteString(HKEY_CURRENT_USER, kDocFindMruKey, "a", "*.doc");
    test::WriteString(HKEY_CURRENT_USER, kDocFindMruKey, "MRUList", "a");
    test::WriteString(HKEY_CURRENT_USER, kFilesNamedMruKey, "001", "secret");
    session.run.live = true;
    CleanFindHistory(session);
    EXPECT_TRUE(test::ValueNames(HKEY_CURRENT_USER, kDocFindMruKey).empty());
    EXPECT_TRUE(test::ValueNames(HKEY_CURRENT_USER, kFilesNamedMruKey).empty());
    EXPECT_EQ(session.run.registryKeys, 4);
    EXPECT_EQ(LastLine().task, "Find File List cleared");

    session.run.abort = true;
    CleanFindHistory(session);
    EXPECT_EQ(session.run.registryKeys, 6);
    EXPECT_EQ(LastLine().task, "Find File List ");
    EXPECT_EQ(LastLine().status, "**Aborted**");
}

TEST_F(MruFixture, TypedUrlsKeepWhatTheSafeListHolds)
{
    SeedTypedUrls();
    test::WriteFileBytes(folder.File(kSafeUrlsFile), "http://www.kept.example/\r\n");
    LoadTypedUrls(session.safeLists.typedUrls, session.programFolder, nullptr);

    CleanTypedUrls(session); // test mode
    EXPECT_EQ(test::ValueNames(HKEY_CURRENT_USER, kTypedUrlsKey), (Names{"url1", "url2", "url3"}));
    EXPECT_EQ(session.safeLists.typedUrls.clean.Items(),
              (Names{"http://gone.example/", "http://also-gone.example/"}));
    EXPECT_EQ(LastLine().task, "Testing : Internet typed Urls cleared");

    session.run.live = true;
    CleanTypedUrls(session);
    EXPECT_EQ(test::ValueNames(HKEY_CURRENT_USER, kTypedUrlsKey), (Names{"url1"}));
    EXPECT_TRUE(session.safeLists.typedUrls.clean.Empty());
    EXPECT_EQ(session.safeLists.typedUrls.safe.Items(), (Names{"http://www.kept.example/"}));
    EXPECT_EQ(session.run.registryKeys, 2);
    EXPECT_EQ(LastLine().task, "Internet typed Urls cleared");

    // A kept value in the middle leaves the ones after it reachable.
    test::DeleteKeyTree(HKEY_CURRENT_USER, kTypedUrlsKey);
    test::WriteString(HKEY_CURRENT_USER, kTypedUrlsKey, "url1", "http://gone.example/");
    test::WriteString(HKEY_CURRENT_USER, kTypedUrlsKey, "url2", "HTTP://WWW.KEPT.EXAMPLE/");
    test::WriteString(HKEY_CURRENT_USER, kTypedUrlsKey, "url3", "http://also-gone.example/");
    CleanTypedUrls(session);
    EXPECT_EQ(test::ValueNames(HKEY_CURRENT_USER, kTypedUrlsKey), (Names{"url2"}));

    // Without a safe list, everything goes.
    SeedTypedUrls();
    ::DeleteFileA(folder.File(kSafeUrlsFile).c_str());
    session.safeLists.typedUrls.safe.Clear();
    CleanTypedUrls(session);
    EXPECT_TRUE(test::ValueNames(HKEY_CURRENT_USER, kTypedUrlsKey).empty());
    EXPECT_TRUE(test::KeyExists(HKEY_CURRENT_USER, kTypedUrlsKey));
}
