// Definitions run through the same runner as the plugins, within the same guards.
#include "engine/CleaningCommands.h"
#include "engine/ShellFolders.h"
#include "platform/Paths.h"
#include "platform/UniqueHandle.h"
#include "plugins/DefinitionSources.h"
#include "plugins/PluginSession.h"

#include <algorithm>
#include <set>

using namespace sweepora;
using test::Texts;

namespace {

constexpr const char* kKeys = "Software\\SweeporaTests\\Definitions";

struct DefinitionFixture : test::PluginSession {
    test::ScratchKey keys{kKeys};
    std::string local = folder.File("local"), roaming = folder.File("roaming");
    DefinitionEnvironment environment;

    DefinitionFixture()
    {
        environment.variables["LOCALAPPDATA"] = {local};
        environment.variables["APPDATA"] = {roaming};
        environment.variables["WINDIR"] = {GetWindowsFolder()};
        environment.variables["SYSTEMDRIVE"] = {GetWindowsFolder().substr(0, 2)};
        environment.variables["USERPROFILE"] = {test::EnvironmentText("USERPROFILE")};
    }
    void Seed(const std::string& path, const std::string& bytes) { test::WriteFileBytes(test::Made(path), bytes); }
    // The offered entries of `text`, every one ticked.
    void Offer(const std::string& text)
    {
        const DefinitionsLoad load = ParseDefinitions(text, "sample.ini", environment);
        std::vector<CleaningEntry> entries;
        for (const LoadedDefinition& d : load.definitions)
            if (d.offered) entries.push_back(d.entry);
        session.plugins.SetDefinitions(entries, std::vector<bool>(entries.size(), true));
    }
    // The log as Lines() gives it, each line's `mark` taken off, sorted.
    Texts Sorted(const std::string& mark = "") const
    {
        Texts lines;
        for (const std::string& line : Lines())
            lines.push_back(line.rfind(mark, 0) == 0 ? line.substr(mark.size()) : "unmarked " + line);
        std::sort(lines.begin(), lines.end());
        return lines;
    }
};

} // namespace

TEST_F(DefinitionFixture, APreviewLogsExactlyWhatTheRunErasesAndNothingElseIsTouched)
{
    const std::string data = local + "\\App\\User Data\\", crash = local + "\\App\\Crash\\", temp = local + "\\App\\Temp\\";
    Texts gone, kept;
    for (const char* profile : {"Default", "Profile 1", "Profile 2"}) {
        const std::string p = data + profile + "\\";
        for (const char* f : {"History", "Cache\\data_0", "Cache\\sub\\f_1", "Logs\\a.log"}) gone.push_back(p + f);
        for (const char* f : {"Bookmarks", "Logs\\keep.log", "Logs\\a.txt"}) kept.push_back(p + f);
    }
    gone.insert(gone.end(), {crash + "r1.dmp", crash + "deep\\r2.dmp", temp + "t.tmp"});
    kept.insert(kept.end(), {temp + "Kept\\k.tmp", local + "\\Other\\History", roaming + "\\History"});
    for (const std::string& f : gone) Seed(f, "trace");
    for (const std::string& f : kept) Seed(f, "keep " + f);
    const std::string hkcu = std::string("HKCU\\") + kKeys;
    for (const char* key : {"Gone\\Below", "Mixed\\Drop", "Mixed\\Keep"}) test::WriteString(HKEY_CURRENT_USER, kKeys + std::string("\\") + key, "v", "1");
    for (const char* value : {"secret", "other"}) test::WriteString(HKEY_CURRENT_USER, kKeys + std::string("\\Vals"), value, "1");
    Offer("[Sample *]\r\n"
          "FileKey1=%LocalAppData%\\App\\User Data\\*|History\r\n"
          "FileKey2=%LocalAppData%\\App\\User Data\\*\\Cache|*.*|RECURSE\r\n"
          "FileKey3=%localappdata%\\App\\User Data\\*\\Logs|*.log\r\n"
          "FileKey4=%LocalAppData%\\App\\Crash|*.*|REMOVESELF\r\n"
          "FileKey5=%LocalAppData%\\App\\Temp|*.*|REMOVESELF\r\n"
          "ExcludeKey1=FILE|%LocalAppData%\\App\\User Data\\*\\Logs\\|keep.log\r\n"
          "ExcludeKey2=PATH|%LocalAppData%\\App\\Temp\\Kept\\|*.*\r\n"
          "RegKey1=" + hkcu + "\\Gone\r\nRegKey2=" + hkcu + "\\Vals|secret\r\nRegKey3=" + hkcu + "\\Mixed\r\n"
          "ExcludeKey3=REG|" + hkcu + "\\Mixed\\Keep\r\n");
    ASSERT_EQ(session.plugins.Definitions().size(), 1u);

    Texts expected;
    for (const std::string& f : gone) expected.push_back(f + " deleted, not overwritten|@");
    expected.insert(expected.end(), {crash + "deep\\|@", crash + "|@", temp + "Kept\\|Not removed: an exclusion keeps it",
                                     temp + "|Not removed: not empty, something inside was kept", "Plugin : Sample|Completed"});
    std::sort(expected.begin(), expected.end());
    RunPlugins(session);
    EXPECT_EQ(Sorted("Testing : "), expected);
    for (const std::string& f : gone) EXPECT_EQ(test::ReadFileBytes(f), "trace") << f;
    EXPECT_EQ(session.run.registryKeys, 3);
    EXPECT_TRUE(test::KeyExists(HKEY_CURRENT_USER, kKeys + std::string("\\Gone\\Below")));

    session.run.live = true;
    session.log.Clear();
    RunPlugins(session);
    EXPECT_EQ(Sorted(), expected);
    for (const std::string& f : gone) EXPECT_FALSE(FileExists(f)) << f;
    for (const std::string& f : kept) EXPECT_EQ(test::ReadFileBytes(f), "keep " + f);
    EXPECT_FALSE(FileExists(crash) || test::KeyExists(HKEY_CURRENT_USER, kKeys + std::string("\\Gone")) ||
                 test::KeyExists(HKEY_CURRENT_USER, kKeys + std::string("\\Mixed\\Drop")));
    EXPECT_TRUE(test::KeyExists(HKEY_CURRENT_USER, kKeys + std::string("\\Mixed\\Keep")));
    EXPECT_EQ(test::ValueNames(HKEY_CURRENT_USER, kKeys + std::string("\\Vals")), Texts{"other"});
}

TEST_F(DefinitionFixture, ProtectedFoldersAndSharedKeysAreRefusedAndTheRestRuns)
{
    const std::string windows = GetWindowsFolder(), profile = test::EnvironmentText("USERPROFILE");
    Seed(local + "\\App\\a.tmp", "x");
    Seed(profile + "\\sweepora-dir\\kept.tmp", "x"); // a walk from the profile's root would reach it
    Offer("[Risky *]\r\n"
          "FileKey1=%SystemDrive%\\|*.*\r\n"                      // a root, every file
          "FileKey2=%WinDir%|*|RECURSE\r\n"                      // the Windows folder, a tree
          "FileKey3=%UserProfile%|*.tmp|RECURSE\r\n"             // the profile, a tree
          "FileKey4=%UserProfile%\\..|?*\r\n"                    // the folder of profiles
          "FileKey5=%SystemDrive%\\*|sweepora-none.tmp\r\n"      // a wildcard into protected folders
          "FileKey6=%LocalAppData%\\App|*.tmp\r\n"               // the one harmless key
          "RegKey1=HKCU\\Software\r\nRegKey2=HKEY_CURRENT_USER\r\nRegKey3=HKLM\\SYSTEM\\CurrentControlSet\\Services\r\n"
          "RegKey4=HKCU\\Software\\Microsoft\r\nRegKey5=HKU\\.DEFAULT\\Software\r\n"
          "[Walled *]\r\nFileKey1=%WinDir%\\System32|*.dll\r\nFileKey2=%UserProfile%\\..|*.dat\r\n"
          "FileKey3=%UserProfile%\\Thesis|*.*|REMOVESELF\r\n" // walked, but no mask may take a file there
          "RegKey1=HKLM\\SYSTEM\r\n");
    ASSERT_EQ(session.plugins.Definitions().size(), 2u);
    ASSERT_EQ(session.plugins.Definitions()[0].registry.size(), 5u); // each key parsed, none dropped early
    // An entry of which the guards let nothing through does not call itself completed.
    const std::string walled = "Plugin : Walled|Refused: every target is protected";
    RunPlugins(session);
    EXPECT_EQ(Lines().back(), "Testing : " + walled);
    session.log.Clear();
    session.run.live = true;
    RunPlugins(session);
    EXPECT_EQ(Lines().back(), walled);
    // Every key but the harmless one is refused, each under its own text.
    std::set<std::string> refused;
    for (const LogLine& l : session.log.Lines())
        if (l.status.rfind("Refused: ", 0) == 0) refused.insert(l.task);
    // Walled's four targets and its last line.
    EXPECT_EQ(refused.size(), 5u + 5u + 4u + 1u) << ::testing::PrintToString(Lines());
    EXPECT_EQ(refused.count("%LocalAppData%\\App|*.tmp"), 0u);
    EXPECT_EQ(session.run.registryKeys, 0); // a refused key is not counted as processed
    EXPECT_FALSE(FileExists(local + "\\App\\a.tmp"));
    EXPECT_TRUE(FileExists(profile + "\\sweepora-dir\\kept.tmp") && FileExists(windows + "\\win.ini"));
    ::DeleteFileA((profile + "\\sweepora-dir\\kept.tmp").c_str());
    ::RemoveDirectoryA((profile + "\\sweepora-dir").c_str());
    // One harmless key is enough for the entry to have run.
    const Texts lines = Lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Plugin : Risky|Completed"), 1);
}

TEST_F(DefinitionFixture, TicksAreKeptPerUserAndAWarnedEntryIsNeverTickedWholesale)
{
    DefinitionSources sources;
    sources.all = ParseDefinitions("[Quiet *]\r\nFileKey1=%LocalAppData%\\Q|*.q\r\n[Loud *]\r\nWarning=Signs you out.\r\n"
                                   "FileKey1=%LocalAppData%\\L|*.l\r\n[Absent *]\r\nDetectFile=%LocalAppData%\\nowhere\r\n"
                                   "FileKey1=%LocalAppData%\\A|*.a\r\n",
                                   "sample.ini", environment)
                      .definitions;
    LoadDefinitions(session.plugins, sources, store);
    // Grouped and sorted, unticked, the absent one not offered; the warning is what the list shows.
    const Texts none = {"[ ] Loud|Signs you out.", "[ ] Quiet|"}, quiet = {"[ ] Loud|Signs you out.", "[x] Quiet|"};
    EXPECT_EQ(Shown(), none);
    session.plugins.SelectAll();
    EXPECT_EQ(Shown(), quiet);
    SaveAllSettings(session);
    session.plugins.Lines()[0].ticked = true;
    LoadDefinitions(session.plugins, sources, store);
    EXPECT_EQ(Shown(), quiet);
    session.plugins.DeselectAll();
    SaveAllSettings(session);
    LoadDefinitions(session.plugins, sources, store);
    EXPECT_EQ(Shown(), none);
}
