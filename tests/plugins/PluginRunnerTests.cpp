#include "engine/CleaningRun.h"
#include "erasure/MatchingFiles.h"
#include "platform/LongPath.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "platform/UniqueHandle.h"
#include "platform/WideText.h"
#include "plugins/PluginRunner.h"
#include "plugins/PluginSession.h"

#include <sddl.h>

#include <algorithm>

using namespace sweepora;
using test::Texts;

namespace {

constexpr const char* kKeys = "Software\\SweeporaTests\\Plugins";
const std::string kHkcu = std::string("HKEY_CURRENT_USER\\") + kKeys;

struct RunnerFixture : test::PluginSession {
    test::ScratchKey keys{kKeys};

    RunnerFixture() { session.pluginVariables.appDataPath = folder.Path(); }
    void WritePlugin(const std::string& name, const Texts& entries)
    {
        std::string text = "[Info]\r\n";
        for (const std::string& e : entries) text += e + "\r\n";
        Write(name + ".plg", text);
        session.plugins.Lines().push_back({name, true, ""});
    }
};

// Gives a key a security descriptor for the scope, through a handle opened before it applies.
class GuardedKey : test::NoCopy {
public:
    GuardedKey(const std::string& path, const wchar_t* sddl)
    {
        ::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, WRITE_DAC, key_.put());
        Apply(sddl);
    }
    ~GuardedKey() { Apply(L"D:P(A;;KA;;;WD)"); }

private:
    void Apply(const wchar_t* sddl)
    {
        PSECURITY_DESCRIPTOR sd = nullptr;
        if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &sd, nullptr)) return;
        ::RegSetKeySecurity(key_.get(), DACL_SECURITY_INFORMATION, sd);
        ::LocalFree(sd);
    }
    UniqueKey key_;
};

// A guard that fails while judging folders, as a broken one would.
struct FailingGuard final : TargetGuard {
    FolderVerdict JudgeFolder(const std::wstring&, const std::vector<std::wstring>&, bool, bool) const override
    {
        throw std::runtime_error("the folder could not be judged");
    }
    std::string FileRefusal(const std::wstring&, const std::wstring&) const override { return {}; }
    std::string WildcardRefusal(const std::wstring&, bool) const override { return {}; }
    std::string RegistryRefusal(const RegistryTarget&) const override { return {}; }
};

// A guard that lets every folder be walked and keeps every ".keep" file, naming its folder
// as guards do: by the canonical form.
struct KeepingGuard final : TargetGuard {
    FolderVerdict JudgeFolder(const std::wstring&, const std::vector<std::wstring>& masks, bool recurse, bool) const override
    {
        return {masks, recurse, false, {}};
    }
    std::string FileRefusal(const std::wstring& canonical, const std::wstring& name) const override
    {
        if (UpperCaseWide(name).find(L".KEEP") == std::wstring::npos) return {};
        std::string shown = DisplayPath(canonical);
        shown.pop_back();
        return Utf8FromWide(name) + " in " + shown + ": kept";
    }
    std::string WildcardRefusal(const std::wstring&, bool) const override { return {}; }
    std::string RegistryRefusal(const RegistryTarget&) const override { return {}; }
};

} // namespace

TEST_F(RunnerFixture, PathsAreSpelledAsOnDiskAndAnEntryThatDidNothingNeverEndsCompleted)
{
    const std::string viewer = folder.File("Demo Viewer");
    ::CreateDirectoryA(viewer.c_str(), nullptr);
    test::WriteFileBytes(viewer + "\\thumbs.tmp", "x");
    test::WriteFileBytes(viewer + "\\a.keep", "x");
    test::WriteFileBytes(viewer + "\\b.keep", "x");
    // Written in another case than the disk's, with the variable in a third.
    const std::string written = "%appdata%\\DEMO viewer\\";
    WritePlugin("Thumbs", {"DelFile1=" + written + "*.tmp", "DelFile2=" + written + "a.keep"});
    WritePlugin("Kept", {"DelFile1=" + written + "*.keep"});
    WritePlugin("Nowhere", {"DelRegKeyList1=HKEY_NOWHERE\\Software\\x", "DelRegValue1=HKNW\\Software,v"});
    WritePlugin("Both", {"DelRegKeyList1=HKEY_NOWHERE\\Software\\x", "DelFile1=" + written + "*.keep"});
    EraseContext context = session.Erasure();
    const KeepingGuard guard;
    RunPlugins(session.plugins, plugins, session.pluginVariables, context, guard);
    const std::string shown = folder.Path() + "\\Demo Viewer\\", task = "Testing : " + folder.Path() + "\\DEMO viewer\\";
    const Texts lines = Lines();
    ASSERT_EQ(lines.size(), 13u) << ::testing::PrintToString(lines);
    EXPECT_EQ(lines[0].rfind("Testing : " + shown + "thumbs.tmp deleted, not overwritten|", 0), 0u) << lines[0];
    EXPECT_EQ(lines[1], task + "a.keep|Refused: a.keep in " + shown.substr(0, shown.size() - 1) + ": kept");
    // Something of it ran: completed, with the refusal said above.
    EXPECT_EQ(lines[2], "Testing : Plugin : Thumbs|Completed");
    // A folder that may be walked, but whose every file is kept, took nothing.
    EXPECT_EQ(lines[5], "Testing : Plugin : Kept|Refused: every target is protected");
    EXPECT_EQ(lines[8], "Testing : Plugin : Nowhere|Not done: no target names a registry root this program knows");
    EXPECT_EQ(lines[12], "Testing : Plugin : Both|Not done: every target is protected or names a registry root this "
                         "program does not know");
    EXPECT_TRUE(FileExists(viewer + "\\thumbs.tmp")); // a test run
}

TEST_F(RunnerFixture, AnEntryThatFailsSaysWhyInsteadOfCompletedAndTheNextStillRuns)
{
    test::WriteFileBytes(folder.File("a.tmp"), "x");
    for (const char* key : {"Broken\\a", "Fine\\a"})
        test::WriteString(HKEY_CURRENT_USER, kKeys + ("\\" + std::string(key)), "v", "1");
    WritePlugin("Broken", {"DelRegKeyList1=" + kHkcu + "\\Broken", "DelFile1=%APPDATA%\\*.tmp"});
    WritePlugin("Fine", {"DelRegKeyList1=" + kHkcu + "\\Fine"});
    EraseContext context = session.Erasure();
    const FailingGuard guard;
    RunPlugins(session.plugins, plugins, session.pluginVariables, context, guard);
    EXPECT_EQ(Lines(), (Texts{"Testing : Plugin : Broken|Error : the folder could not be judged",
                              "Testing : Plugin : Fine|Completed"}));
    EXPECT_EQ(session.run.registryKeys, 2); // the targets before the failure ran
    EXPECT_TRUE(FileExists(folder.File("a.tmp")));
}

TEST_F(RunnerFixture, RegistryWalksStepOverWhatTheyCannotDeleteAndSayWhy)
{
    const auto key = [](const std::string& sub) { return kKeys + ("\\" + sub); };
    for (const char* sub : {"List\\0 Locked\\Inside", "List\\a\\b", "List\\z"})
        test::WriteString(HKEY_CURRENT_USER, key(sub), "v", "1");
    for (const char* name : {"v1", "v2", "File", "File3"}) test::WriteString(HKEY_CURRENT_USER, key("ReadOnly"), name, "1");
    test::WriteString(HKEY_CURRENT_USER, key("Writable"), "w", "1");
    WritePlugin("Walks", {"DelRegKeyList1=" + kHkcu + "\\List", "DelRegValueList1=" + kHkcu + "\\ReadOnly",
                          "DelRegValueList2=" + kHkcu + "\\Writable", "DelRegValue1=" + kHkcu + "\\ReadOnly,File"});
    {
        const GuardedKey locked(key("List\\0 Locked"), L"D:P");          // nothing may look inside
        const GuardedKey readOnly(key("ReadOnly"), L"D:P(A;;KR;;;WD)"); // values may be read, not deleted

        RunPlugins(session); // a test run only counts
        EXPECT_EQ(Lines(), Texts{"Testing : Plugin : Walks|Completed"});
        EXPECT_EQ(session.run.registryKeys, 4);

        session.run.live = true;
        session.log.Clear();
        RunPlugins(session);
        Texts lines = Lines();
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back(), "Plugin : Walks|Completed");
        EXPECT_EQ(session.run.registryKeys, 4 + 2); // the read-only key lost nothing: not counted
        lines.pop_back();
        // The system's words vary from version to version; both say the access was denied.
        for (std::string& line : lines)
            if (line.find("denied") != std::string::npos) line = line.substr(0, line.find('|')) + "|denied";
        std::sort(lines.begin(), lines.end());
        const std::string readOnlyKey = kHkcu + "\\ReadOnly,";
        Texts expected = {kHkcu + "\\List\\0 Locked|denied"};
        for (const char* name : {"v1", "v2", "File", "File3", "File", "File3"}) expected.push_back(readOnlyKey + name + "|denied");
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(lines, expected);
    }
    EXPECT_TRUE(test::KeyExists(HKEY_CURRENT_USER, key("List\\0 Locked")));
    EXPECT_FALSE(test::KeyExists(HKEY_CURRENT_USER, key("List\\a")) || test::KeyExists(HKEY_CURRENT_USER, key("List\\z")));
    EXPECT_TRUE(test::ValueNames(HKEY_CURRENT_USER, key("Writable")).empty());
    EXPECT_EQ(test::ValueNames(HKEY_CURRENT_USER, key("ReadOnly")).size(), 4u);
}

TEST_F(RunnerFixture, EveryListRunsToItsFirstGapAndCountsInTestRunsToo)
{
    const auto seed = [](const std::string& key, Texts names) {
        for (const std::string& name : names) test::WriteString(HKEY_CURRENT_USER, kKeys + ("\\" + key), name, "x");
    };
    seed("History\\a", {"v"}); seed("History\\b", {"v"}); seed("Kept\\a", {"v"}); seed("Last", {"v1", "v2"});
    seed("Recent", {"File", "File1", "File49", "File50", "Default", "Default7", "Other"});
    ::CreateDirectoryA(folder.File("sub.tmp").c_str(), nullptr);
    for (const char* name : {"a.tmp", "hidden.tmp", "system.tmp", "single.log", "other.txt"})
        test::WriteFileBytes(folder.File(name), "trace");
    ::SetFileAttributesA(folder.File("hidden.tmp").c_str(), FILE_ATTRIBUTE_HIDDEN);
    ::SetFileAttributesA(folder.File("system.tmp").c_str(), FILE_ATTRIBUTE_SYSTEM);
    WritePlugin("Viewer", {"DelRegKeyList1=" + kHkcu + "\\History", "DelRegKeyList2=no backslash",
                           "DelRegKeyList3=HKEY_NOWHERE\\" + std::string(kKeys) + "\\Kept",
                           "DelRegKeyList5=" + kHkcu + "\\Kept", "DelRegValueList1=" + kHkcu + "\\Last",
                           "DelRegValueList3=" + kHkcu + "\\Kept", "DelRegValue1=" + kHkcu + "\\Recent,File",
                           "DelRegValue2=" + kHkcu + "\\Recent,", "DelFile1=%AppData%\\*.tmp",
                           "DelFile2=%APPDATA%\\SINGLE.log", "DelFile4=%APPDATA%\\other.txt"});
    const auto exists = [](const std::string& key) { return test::KeyExists(HKEY_CURRENT_USER, kKeys + ("\\" + key)); };
    const auto names = [](const std::string& key) { return test::ValueNames(HKEY_CURRENT_USER, kKeys + ("\\" + key)); };

    RunPlugins(session); // a test run walks and counts what is there to go
    EXPECT_TRUE(exists("History\\a") && names("Last").size() == 2 && names("Recent").size() == 7);
    EXPECT_EQ(session.run.registryKeys, 4); // not the unknown root's
    EXPECT_EQ(session.run.files, 3);
    const std::string nowhere = "HKEY_NOWHERE\\" + std::string(kKeys) + "\\Kept|Not done: \"HKEY_NOWHERE\" is not a "
                                "registry root; write it in full, as HKEY_CURRENT_USER is";
    EXPECT_EQ(Lines().front(), "Testing : " + nowhere);
    EXPECT_EQ(Lines().back(), "Testing : Plugin : Viewer|Completed");

    session.run.live = true;
    session.log.Clear();
    RunPlugins(session);
    EXPECT_FALSE(exists("History\\a") || exists("History\\b") || !names("Last").empty());
    EXPECT_TRUE(exists("History") && exists("Kept\\a")); // the unknown root and the entry after the gap
    EXPECT_EQ(names("Recent"), (Texts{"File50", "Other"}));
    EXPECT_EQ(session.run.registryKeys, 4 + 4);
    for (const char* name : {"a.tmp", "hidden.tmp", "single.log"}) EXPECT_FALSE(FileExists(folder.File(name))) << name;
    for (const char* name : {"system.tmp", "sub.tmp", "other.txt"}) EXPECT_TRUE(FileExists(folder.File(name))) << name;
    EXPECT_EQ(Lines().size(), 5u); // the unknown root, three deleted files, then the plugin's line
    EXPECT_EQ(Lines().front(), nowhere);
    EXPECT_EQ(Lines().back(), "Plugin : Viewer|Completed");

    const PluginVariables v{"C:\\Local", "Ann", "C:\\windows"};
    EXPECT_EQ(ExpandVariables("%appdata%\\%UserName%\\x;%Win%", v), "C:\\Local\\Ann\\x;C:\\windows");
}

TEST_F(RunnerFixture, PluginsLogInListOrderAndStopAtAnAbort)
{
    for (const char* name : {"1.tmp", "2.tmp", "3.tmp"}) test::WriteFileBytes(folder.File(name), "x");
    WritePlugin("Alpha", {"DelFile1=%APPDATA%\\*.tmp"});
    session.plugins.Lines().push_back({" Missing ", true, ""});
    session.plugins.Lines().push_back({"Unticked", false, ""});
    OnlyCategories({});

    RunCleaning(session); // the plugins take part in every run, whatever the categories say
    const Texts lines = Lines();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(Texts(lines.begin() + 3, lines.end() - 1),
              (Texts{"Testing : Plugin : Alpha|Completed", "Testing : Plugin : Missing|Completed"}));
    EXPECT_NE(lines.back().find("Files : 3 (3 deleted, not overwritten),Registory keys : 0,"), std::string::npos)
        << lines.back();

    session.log.Clear();
    host.onYield = [this] { session.run.abort = true; };
    RunPlugins(session);
    RunPlugins(session); // already aborted: nothing at all
    EXPECT_EQ(session.run.files, 4); // one more file, then the walk stops
    ASSERT_EQ(Lines().size(), 2u);
    EXPECT_EQ(Lines()[1], "Testing : Plugin : Alpha|**aborted**");
}

TEST_F(RunnerFixture, PatternsNameFilesOnlyAndNeverEveryFileOfASystemFolder)
{
    ::CreateDirectoryA(folder.File("sub").c_str(), nullptr);
    test::WriteFileBytes(folder.File("one.log"), "x");
    test::WriteFileBytes(folder.File("sub\\two.log"), "x");
    const std::string windows = CurrentPluginVariables().windowsPath, root = folder.Path().substr(0, 3);
    const Texts refused = {"\\*.tmp", root + "*.*", root + "x/../*", windows + "\\*", "%WIN%\\SYSTEM32\\..\\?*",
                           "\\\\?\\" + windows + "\\*.*",
                           "\\\\localhost\\" + windows.substr(0, 1) + "$" + windows.substr(2) + "\\*"};
    Texts entries;
    for (const std::string& pattern : refused) entries.push_back("DelFile" + std::to_string(entries.size() + 1) + "=" + pattern);
    entries.push_back("DelFile" + std::to_string(entries.size() + 1) + "=" + folder.File("ONE.lo?"));
    entries.push_back("DelFile" + std::to_string(entries.size() + 1) + "=" + folder.File("*\\*.log")); // every subfolder
    WritePlugin("Guarded", entries);
    WritePlugin("Walled", {"DelFile1=" + windows + "\\*", "DelFile2=" + root + "*.*"}); // nothing of it may go
    session.pluginVariables.windowsPath = windows;
    session.run.live = true;
    RunPlugins(session);
    int refusals = 0;
    for (const std::string& line : Lines()) refusals += line.find("|Refused: ") != std::string::npos;
    EXPECT_EQ(refusals, static_cast<int>(refused.size()) + 3) << ::testing::PrintToString(Lines());
    const Texts lines = Lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Plugin : Guarded|Completed"), 1); // some of it ran
    EXPECT_EQ(lines.back(), "Plugin : Walled|Refused: every target is protected");
    EXPECT_FALSE(FileExists(folder.File("one.log")) || FileExists(folder.File("sub\\two.log")));
    EXPECT_TRUE(FileExists(windows + "\\win.ini"));

    // Only the long name counts: the system's own search also matches "NOTES~1.TMP".
    EXPECT_FALSE(LongNameMatches(L"notes.tmpl", L"*.tmp"));
    EXPECT_TRUE(LongNameMatches(L"NOTES.TMP", L"*.tmp") && LongNameMatches(L"README", L"*.*"));
    EXPECT_TRUE(LongNameMatches(L"a.b.c", L"a*c") && LongNameMatches(L"abc", L"a?c") && LongNameMatches(L"x", L"*"));
    EXPECT_FALSE(LongNameMatches(L"ac", L"a?c") || LongNameMatches(L"abcd", L"a*c") || LongNameMatches(L"", L"?"));
}

TEST_F(RunnerFixture, APreviewShowsExactlyWhatTheRunWillDo)
{
    // A custom folder and a plugin naming files inside it: the folder's walk takes them,
    // so the plugin finds nothing, in the preview as in the run.
    const std::string work = folder.File("work"), deep = work + "\\a\\b";
    for (const char* f : {"\\1.log", "\\2.log", "\\3.log"}) test::WriteFileBytes(test::Made(deep + f), "log");
    WritePlugin("Logs", {"DelFile1=" + deep + "\\*.log"});
    OnlyCategories({&AppSettings::CustomDirs});
    session.settings.CustomDirList = {work};

    RunCleaning(session);
    Texts preview = Lines();
    EXPECT_NE(preview.back().find("Files : 3 (3 deleted, not overwritten),"), std::string::npos) << preview.back();
    session.log.Clear();
    session.run.live = true;
    RunCleaning(session);
    EXPECT_FALSE(FileExists(work));
    Texts live = Lines();
    ASSERT_EQ(live.size(), preview.size());
    for (std::size_t i = 0; i + 1 < live.size(); ++i) EXPECT_EQ("Testing : " + live[i], preview[i]);
    EXPECT_NE(live.back().find("Files : 3 (3 deleted, not overwritten),"), std::string::npos) << live.back();
}
