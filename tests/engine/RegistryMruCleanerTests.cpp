#include "engine/RegistryMruCleaners.h"
#include "safelists/TypedUrlLoader.h"

#include "support/TestSupport.h"

using namespace sweepora;
using Names = test::Texts;

namespace {

struct MruFixture : test::SessionFixture {
    test::ScratchKey run{kRunMruKey}, docFind{kDocFindMruKey}, filesNamed{kFilesNamedMruKey}, typed{kTypedUrlsKey};

    static void Seed(const char* key, const Names& values)
    {
        for (std::size_t i = 0; i + 1 < values.size(); i += 2) test::WriteString(HKEY_CURRENT_USER, key, values[i], values[i + 1]);
    }
    static Names Left(const char* key) { return test::ValueNames(HKEY_CURRENT_USER, key); }
};

} // namespace

TEST_F(MruFixture, RunAndFindHistoriesLoseEveryValueButKeepTheirKeys)
{
    Seed(kRunMruKey, {"a", "notepad\\1", "b", "regedit\\1", "MRUList", "ba"});
    CleanRunHistory(session); // test mode: only counted and logged
    CleanFindHistory(session); // counts both keys, missing or not
    EXPECT_EQ(Left(kRunMruKey).size(), 3u);
    EXPECT_EQ(Tasks(), (Names{"Testing : Run History Cleared ", "Testing : Find File List cleared"}));
    EXPECT_EQ(session.run.registryKeys, 1 + 2); // one per key, opened or not

    session.run.live = true;
    session.run.abort = true;
    CleanRunHistory(session);
    EXPECT_EQ(Left(kRunMruKey).size(), 3u);
    EXPECT_EQ(Last(), "Run History Cleared |**Aborted**");
    Seed(kDocFindMruKey, {"a", "*.doc", "MRUList", "a"});
    Seed(kFilesNamedMruKey, {"001", "secret"});
    CleanFindHistory(session);
    EXPECT_EQ(Left(kDocFindMruKey).size() + Left(kFilesNamedMruKey).size(), 3u);
    EXPECT_EQ(Last(), "Find File List |**Aborted**");

    session.run.abort = false;
    session.run.registryKeys = 0;
    CleanRunHistory(session);
    CleanFindHistory(session);
    for (const char* key : {kRunMruKey, kDocFindMruKey, kFilesNamedMruKey}) {
        EXPECT_TRUE(Left(key).empty()) << key;
        EXPECT_TRUE(test::KeyExists(HKEY_CURRENT_USER, key)) << key;
    }
    EXPECT_EQ(session.run.registryKeys, 1 + 2);
    EXPECT_EQ(session.log.Lines().back().task, "Find File List cleared");
}

// The console program's tests show a preview keeping them and the safe list honoured.
TEST_F(MruFixture, TypedUrlsKeepTheKeyAndLeaveTheSafeEntriesOnTheirPage)
{
    Seed(kTypedUrlsKey, {"url1", "http://www.Kept.example/", "url2", "http://gone.example/", "url3",
                         "http://also-gone.example/"});
    test::WriteFileBytes(folder.File(kSafeUrlsFile), "http://www.kept.example/\r\n");
    LoadTypedUrls(session.safeLists.typedUrls, session.programFolder, nullptr);
    session.run.live = true;
    CleanTypedUrls(session);
    EXPECT_EQ(Left(kTypedUrlsKey), Names{"url1"});
    EXPECT_TRUE(session.safeLists.typedUrls.clean.Empty());
    EXPECT_EQ(session.safeLists.typedUrls.safe.Items(), Names{"http://www.kept.example/"});
    EXPECT_EQ(session.run.registryKeys, 1); // the key, not its values
}
