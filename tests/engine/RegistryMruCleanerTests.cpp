#include "engine/RegistryMruCleaners.h"
#include "engine/ShellFolders.h"
#include "platform/Paths.h"
#include "platform/UniqueHandle.h"
#include "safelists/TypedUrlLoader.h"

#include "support/TestSupport.h"

#include <sddl.h>
#include <shlobj.h>

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
    CleanFindHistory(session); // its keys are missing: nothing opened, nothing counted
    EXPECT_EQ(Left(kRunMruKey).size(), 3u);
    EXPECT_EQ(Tasks()[0], "Testing : Run History Cleared ");
    EXPECT_EQ(Tasks()[2], "Testing : Find File List cleared");
    EXPECT_EQ(session.run.registryKeys, 1); // only the key that is there

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
    EXPECT_EQ(session.run.registryKeys, 3); // the three keys that were there to clean
    EXPECT_EQ(Tasks()[Tasks().size() - 6], "Find File List cleared");
}

// The counter and the lines come from what the erasure library did: a key that is a link is
// refused and not counted, a key whose values could not all go is not counted either.
TEST_F(MruFixture, CountsComeFromWhatWasReallyCleaned)
{
    const std::string target = std::string(kRunMruKey) + "Target";
    test::ScratchKey targetKey{target};
    Seed(target.c_str(), {"a", "secret\\1", "MRUList", "a"});
    Seed(kDocFindMruKey, {"a", "*.doc"});
    Seed(kFilesNamedMruKey, {"001", "x", "002", "y"});
    session.run.live = true;
    {
        const test::RegistryLink link(kRunMruKey, target);
        UniqueKey locked;
        ::RegOpenKeyExA(HKEY_CURRENT_USER, kFilesNamedMruKey, 0, WRITE_DAC, locked.put());
        PSECURITY_DESCRIPTOR readOnly = nullptr;
        ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;KR;;;WD)", SDDL_REVISION_1, &readOnly,
                                                                           nullptr));
        ::RegSetKeySecurity(locked.get(), DACL_SECURITY_INFORMATION, readOnly);
        ::LocalFree(readOnly);
        CleanRunHistory(session);
        CleanFindHistory(session);
        PSECURITY_DESCRIPTOR open = nullptr;
        ::ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;KA;;;WD)", SDDL_REVISION_1, &open, nullptr);
        ::RegSetKeySecurity(locked.get(), DACL_SECURITY_INFORMATION, open);
        ::LocalFree(open);
    }
    EXPECT_EQ(Left(target.c_str()).size(), 2u);
    EXPECT_TRUE(Left(kDocFindMruKey).empty());
    EXPECT_EQ(Left(kFilesNamedMruKey).size(), 2u);
    EXPECT_EQ(session.run.registryKeys, 1); // Doc Find Spec MRU only
    std::size_t refused = 0, denied = 0;
    for (const LogLine& l : session.log.Lines()) {
        refused += l.task == kRunMruKey && l.status.rfind("Refused: ", 0) == 0 ? 1 : 0;
        denied += l.task.rfind(kFilesNamedMruKey, 0) == 0 && l.status.find("denied") != std::string::npos ? 1 : 0;
    }
    EXPECT_EQ(refused, 1u);
    EXPECT_EQ(denied, 1u); // the key could not be opened to clean: one line for it
    EXPECT_EQ(Tasks()[1], "Run History Cleared ");
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

namespace {

// The stores Windows 10/11 keeps for the same boxes, seeded in the shapes it writes them.
struct NewerStoresFixture : MruFixture {
    const std::string wheel = kWordWheelQueryKey, acmru = kSearchAssistantMruKey, apps = kSearchRecentAppsKey;
    test::ScratchKey typedPaths{kTypedPathsKey}, wordWheel{kWordWheelQueryKey}, assistant{kSearchAssistantMruKey},
        recentApps{kSearchRecentAppsKey}, jumplistData{kSearchJumplistDataKey};
    const std::string local = GetSpecialFolderPath(CSIDL_LOCAL_APPDATA);
    const bool packages = ::CreateDirectoryA((local + "\\Packages").c_str(), nullptr) != FALSE;
    test::ScratchFolder searchPackage{local + "\\Packages\\Microsoft.Windows.Search_cw5n1h2txyewy"};
    const std::string cache = local + "\\" + kDeviceSearchCacheFolder;

    NewerStoresFixture()
    {
        const std::string term = std::string("s\0e\0c\0r\0e\0t\0\0\0", 14), order = std::string("\1\0\0\0\0\0\0\0\xff\xff\xff\xff", 12);
        Seed(kTypedPathsKey, {"url1", "C:\\Projects", "url2", "\\\\server\\share", "url3", "shell:startup", "url4", "D:\\"});
        for (const std::string& key : {wheel, wheel + "\\{00000000-0000-0000-0000-000000000001}"}) {
            test::WriteRaw(HKEY_CURRENT_USER, key, "0", REG_BINARY, term);
            test::WriteRaw(HKEY_CURRENT_USER, key, "MRUListEx", REG_BINARY, order);
        }
        Seed((acmru + "\\5603").c_str(), {"000", "salary", "001", "letter"});
        test::WriteString(HKEY_CURRENT_USER, apps + "\\{A}\\RecentItems\\{B}", "Path", "C:\\secret.txt");
        test::WriteString(HKEY_CURRENT_USER, apps + "\\{C}", "AppId", "Microsoft.Windows.Explorer");
        for (const char* app : {"Microsoft.Windows.Explorer", "{6D809377-6AF0-444B-8957-A3773F02200E}\\Tor\\tor.exe"})
            test::WriteRaw(HKEY_CURRENT_USER, kSearchJumplistDataKey, app, REG_QWORD, std::string("\x80\x3e\xd5\xde\xb1\x9d\x01\x00", 8));
        ::CreateDirectoryA((searchPackage.Path() + "\\LocalState").c_str(), nullptr);
        ::CreateDirectoryA(cache.c_str(), nullptr);
        test::WriteFileBytes(cache + "\\AppCache133.txt", "[{\"System.FileName\":\"secret\"}]");
        test::WriteFileBytes(cache + "\\SettingsCache.txt", "[]");
    }

    // The log, "task|status" with "Testing : " taken off and a timestamp shown as "@".
    Names Logged() const
    {
        Names lines;
        for (const LogLine& l : session.log.Lines()) {
            std::string task = l.task;
            if (task.rfind(kTestingPrefix, 0) == 0) task.erase(0, std::string(kTestingPrefix).size());
            lines.push_back(task + "|" + (l.status.find(" @ ") != std::string::npos ? "@" : l.status));
        }
        return lines;
    }
};

} // namespace

TEST_F(NewerStoresFixture, RunAndFindTakeTheNewerStoresWithTheSameLinesInPreviewAndRun)
{
    // An aborted run stops before the newer stores.
    session.run.live = session.run.abort = true;
    CleanRunHistory(session);
    CleanFindHistory(session);
    EXPECT_EQ(Logged(), (Names{"Run History Cleared |**Aborted**", "Find File List |**Aborted**"}));
    session.run.live = session.run.abort = false;
    session.run.registryKeys = 0;
    session.log.Clear();

    CleanRunHistory(session);
    CleanFindHistory(session);
    const Names preview = Logged();
    EXPECT_EQ(preview, (Names{"Run History Cleared |@", "TypedPaths|4 entries removed", "Find File List cleared|@",
                              "WordWheelQuery|4 entries removed", "ACMru|2 entries removed", "RecentApps|2 entries removed",
                              "JumplistData|2 entries removed", cache + "\\AppCache133.txt deleted, not overwritten|@",
                              cache + "\\SettingsCache.txt deleted, not overwritten|@",
                              "DeviceSearchCache|2 files removed"}));
    EXPECT_EQ(Left(kTypedPathsKey).size(), 4u);
    EXPECT_TRUE(test::KeyExists(HKEY_CURRENT_USER, apps + "\\{A}\\RecentItems\\{B}"));
    EXPECT_EQ(test::ReadFileBytes(cache + "\\SettingsCache.txt"), "[]");
    // TypedPaths, WordWheelQuery and its subkey, ACMru and its subkey, RecentApps, JumplistData;
    // the Run and Find lists are not there, so they are not counted.
    EXPECT_EQ(session.run.registryKeys, 7);

    session.run.live = true;
    session.run.registryKeys = 0;
    session.log.Clear();
    CleanRunHistory(session);
    CleanFindHistory(session);
    EXPECT_EQ(Logged(), preview);
    EXPECT_EQ(session.run.registryKeys, 7);
    for (const std::string& key : {std::string(kTypedPathsKey), wheel, wheel + "\\{00000000-0000-0000-0000-000000000001}",
                                   acmru + "\\5603", std::string(kSearchJumplistDataKey)}) {
        EXPECT_TRUE(Left(key.c_str()).empty()) << key;
        EXPECT_TRUE(test::KeyExists(HKEY_CURRENT_USER, key)) << key;
    }
    EXPECT_TRUE(test::KeyExists(HKEY_CURRENT_USER, apps));
    EXPECT_FALSE(test::KeyExists(HKEY_CURRENT_USER, apps + "\\{A}") || test::KeyExists(HKEY_CURRENT_USER, apps + "\\{C}"));
    EXPECT_FALSE(FileExists(cache + "\\AppCache133.txt") || FileExists(cache + "\\SettingsCache.txt"));
    EXPECT_TRUE(FileExists(cache)); // the folder stays

    // Nothing left: each store still says so.
    session.log.Clear();
    CleanRunHistory(session);
    CleanFindHistory(session);
    EXPECT_EQ(Logged()[1], "TypedPaths|0 entries removed");
    EXPECT_EQ(Logged().back(), "DeviceSearchCache|0 files removed");
}
