#include "platform/Paths.h"
#include "platform/UniqueHandle.h"
#include "settings/SettingsPersistence.h"
#include "shell/OptionBoxes.h"
#include "shell/SystemInfoTool.h"
#include "shell/ThemeManifest.h"

#include "support/TestSupport.h"

#include <commctrl.h>

#include <future>

using namespace sweepora;

TEST(ThemeManifest, WrittenOnceHiddenAndStylesTheControlsWhileActive)
{
    test::TempFolder folder;
    test::FakeDesktop desktop;
    const std::string program = folder.File("Sweepora.exe"), manifest = program + ".manifest";
    // Beside the program it has the one name Windows looks for.
    ASSERT_EQ(ThemeManifestPath(program, folder.Path()), manifest);
    EXPECT_TRUE(WriteThemeManifest(desktop, manifest));
    const std::string arch = sizeof(void*) == 8 ? "amd64" : "X86";
    const std::string text = test::ReadFileBytes(manifest);
    EXPECT_NE(text.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\" processorArchitecture=\"" +
                        arch + "\""), std::string::npos) << text;
    // Wine reports every file as to be archived, whatever was set.
    EXPECT_EQ(::GetFileAttributesA(manifest.c_str()) & ~FILE_ATTRIBUTE_ARCHIVE, static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));

    // Whatever is there already stays as it is, attributes included.
    ::SetFileAttributesA(manifest.c_str(), FILE_ATTRIBUTE_NORMAL);
    test::WriteFileBytes(manifest, "the user's own");
    EXPECT_TRUE(WriteThemeManifest(desktop, manifest));
    EXPECT_EQ(test::ReadFileBytes(manifest), "the user's own");
    EXPECT_EQ(::GetFileAttributesA(manifest.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
    EXPECT_TRUE(desktop.asked.empty());

    // A folder it cannot write to: told at every start, nothing left behind.
    const std::string missing = folder.File("gone\\Sweepora.exe.manifest");
    EXPECT_FALSE(WriteThemeManifest(desktop, missing));
    WriteThemeManifest(desktop, missing);
    EXPECT_EQ(desktop.asked.size(), 2u);
    EXPECT_FALSE(FileExists(missing));

    // Kept away from the program, it styles the controls while it is active.
    test::TempFolder data;
    const std::string kept = ThemeManifestPath(folder.File("Sweepora.exe"), data.Path());
    EXPECT_EQ(FolderOf(kept), data.Path());
    ASSERT_TRUE(WriteThemeManifest(desktop, kept));
    // Only version 6 of the common controls gives a push button its ideal size.
    const auto styled = [] {
        HWND button = ::CreateWindowExW(0, L"Button", L"x", WS_POPUP | BS_PUSHBUTTON, 0, 0, 10, 10, nullptr, nullptr,
                                        nullptr, nullptr);
        SIZE ideal = {};
        const bool v6 = ::SendMessageW(button, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal)) != 0;
        ::DestroyWindow(button);
        return v6;
    };
    EXPECT_FALSE(styled());
    {
        ThemeActivation theme;
        EXPECT_EQ(theme.Activate(kept), 0u);
        EXPECT_TRUE(styled());
    }
    EXPECT_FALSE(styled());
    ThemeActivation broken;
    EXPECT_NE(broken.Activate(data.File("missing.manifest")), 0u);
}

TEST(SystemInfoTool, StartsTheToolItFindsAndRefusesAnOverlongValue)
{
    const std::string scratch = "Software\\SweeporaTests\\SysInfo", msinfo = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
    test::ScratchKey cleanup{scratch};
    UniqueKey root;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, scratch.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, root.put(),
                                nullptr), ERROR_SUCCESS);
    // A value longer than the tool's buffer is no value, and reading it overruns nothing.
    test::WriteRaw(HKEY_CURRENT_USER, scratch + "\\" + msinfo, "Long", REG_SZ, std::string(1100, 'x') + '\0');
    std::string value = "stale";
    EXPECT_FALSE(GetKeyValue(root.get(), msinfo, "Long", value) || GetKeyValue(root.get(), "SOFTWARE\\No", "PATH", value));
    EXPECT_EQ(value, "");

    // Neither value is the About box's case.
    test::FakeDesktop desktop;
    test::TempFolder folder;
    test::WriteString(HKEY_CURRENT_USER, scratch + "\\SOFTWARE\\Microsoft\\Shared Tools Location", "MSINFO", folder.Path());
    StartSysInfo(desktop, root.get()); // a folder without the tool
    test::WriteFileBytes(folder.File("MSINFO32.EXE"), "MZ");
    StartSysInfo(desktop, root.get());
    test::WriteString(HKEY_CURRENT_USER, scratch + "\\" + msinfo, "PATH", "C:\\Tools\\msinfo32.exe");
    desktop.launchResult = 2; // the first value wins, and this one would not start
    StartSysInfo(desktop, root.get());
    ASSERT_TRUE(desktop.asked.size() == 2 && desktop.launched.size() == 2);
    for (const auto& box : desktop.asked) EXPECT_EQ(box.prompt, kSysInfoUnavailable);
    EXPECT_EQ(desktop.launched[0].file + "|" + std::to_string(desktop.launched[0].showCommand),
              folder.File("MSINFO32.EXE") + "|" + std::to_string(SW_SHOWNORMAL));
    EXPECT_EQ(desktop.launched[1].file, "C:\\Tools\\msinfo32.exe");
}

// The version-to-name rules are the engine tests'; here the name Wine's versions really get.
TEST(SystemName, TheReportNamesTheSystemWineActsAs)
{
    // Wine reads the version it acts as per program name (AppDefaults) at start: a copy of the
    // console program per version, every category off. Wine 8's "win7" is the server release.
    test::ScratchKey settings{"Software\\Sweepora"};
    RegistrySettingsStore store{"Software\\Sweepora"};
    AppSettings off;
    for (int i = 0; i < kCleaningBoxCount; ++i) off.*CleaningBoxes()[i].setting = "0";
    SaveEraseSettingKeys(store, off);
    const std::string cli = AddBackslash(FolderOf(ExecutablePath())) + "sweepora-cli.exe";
    test::TempFolder folder;
    const std::pair<const char*, const char*> versions[] = {
        {"winxp", "Microsoft Windows XP Build 2600"}, {"winxp64", "Microsoft Windows XP x64 Build "},
        {"win7", "Microsoft Windows Server 2008 R2 Build 7601"},
        {"", "Microsoft Windows 7 Build 7601"}, {"win81", "Microsoft Windows 8.1 Build "},
        {"win10", "Microsoft Windows 10 Build "}};
    std::vector<std::unique_ptr<test::ScratchKey>> appDefaults;
    std::vector<std::future<test::ProgramResult>> runs;
    for (const auto& [version, name] : versions) {
        // A folder each: the runner puts a program's output beside it.
        const std::string as = *version != '\0' ? version : "default", exe = "sweepora-cli-" + as + ".exe";
        ::CreateDirectoryA(folder.File(as).c_str(), nullptr);
        ASSERT_TRUE(::CopyFileA(cli.c_str(), (folder.File(as) + "\\" + exe).c_str(), FALSE)) << cli;
        appDefaults.push_back(std::make_unique<test::ScratchKey>("Software\\Wine\\AppDefaults\\" + exe));
        if (*version != '\0') test::WriteString(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\" + exe, "Version", version);
        runs.push_back(std::async(std::launch::async, test::RunProgram, folder.File(as) + "\\" + exe,
                                  "preview --report \"" + folder.File(as) + "\\report.txt\""));
    }
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const test::ProgramResult run = runs[i].get();
        EXPECT_EQ(run.exitCode, 0u) << run.out;
        const std::string as = *versions[i].first != '\0' ? versions[i].first : "default";
        const std::string report = test::ReadFileBytes(folder.File(as) + "\\report.txt");
        EXPECT_NE(report.find(std::string("\r\nOperating Sustem : ") + versions[i].second), std::string::npos)
            << as << "\n" << report;
    }
}
