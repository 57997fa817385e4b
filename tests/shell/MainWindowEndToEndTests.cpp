// A user's whole session with the window: every page, a real cleaning run started from
// "Start Cleaning >>" over seeded traces, a saved report, and closing.
#include "platform/RegistryAccess.h"
#include "shell/MainWindow.h"
#include "shell/WindowParts.h"
#include "support/TestSupport.h"
#include "support/WindowTesting.h"

#include <commctrl.h>

#include <array>
#include <filesystem>
#include <memory>

namespace sweepora {
namespace {

TEST(MainWindowEndToEnd, ShowsEveryPageCleansLiveSavesAReportAndClosesSaving)
{
    constexpr const char* storeKey = "Software\\SweeporaTests\\EndToEnd";
    test::ScratchKey scratchStore{storeKey};
    RegistrySettingsStore store{storeKey};
    test::FakeDesktop desktop;
    // The program's folder stays out of the temporary folder, which the run empties.
    const std::string program = "C:\\SweeporaEndToEnd";
    const std::string scratch = program + "\\scratch";
    std::filesystem::remove_all(program);
    std::filesystem::create_directories(scratch + "\\drafts");
    test::WriteFileBytes(scratch + "\\drafts\\v1.txt", "draft");
    const std::string typed = "Software\\Microsoft\\Internet Explorer\\TypedURLs";
    const std::string runMru = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
    for (const auto& [key, name, value] : {std::array<std::string, 3>{typed, "url1", "http://bank.example/login"},
                                           {runMru, "a", "notepad secret.txt\\1"}, {runMru, "MRUList", "a"}})
        test::WriteString(HKEY_CURRENT_USER, key, name, value);
    const std::string tempFile = (std::filesystem::temp_directory_path() / "end-to-end.tmp").string();
    test::WriteFileBytes(tempFile, "temporary");
    store.Set(kSectionErase, "CustomDirs", "1");

    auto window = std::make_unique<MainWindow>(store, desktop, program + "\\sweepora.exe", MainWindowOptions{});
    ASSERT_TRUE(window->Create());
    HWND main = window->Handle();
    const auto control = [&window](int id) { return window->Control(id); };
    const auto shown = [&control](int id) { return ::IsWindowVisible(control(id)) != FALSE; };

    // Every page and sub-page, each showing its own controls: a tab control (on its main
    // page) and a control on each of its pages.
    const struct { int tabs, mainPage; std::vector<int> pages; } tabSets[] = {
        {ids::kTabMain, 0, {ids::kLog, ids::kCleanFirst, ids::kTabMore, ids::kDirs, ids::kTabGeneral}},
        {ids::kTabMore, 2, {ids::kCookiePage, ids::kTypedPage, ids::kHistoryPage, ids::kPlugins}},
        {ids::kTabGeneral, 4, {ids::kStartupFirst, ids::kScheduling, ids::kHotkeyFirst}}};
    for (const auto& set : tabSets) {
        SelectTabAsUser(control(ids::kTabMain), set.mainPage);
        for (std::size_t tab = 0; tab < set.pages.size(); ++tab) {
            SelectTabAsUser(control(set.tabs), static_cast<int>(tab));
            for (std::size_t other = 0; other < set.pages.size(); ++other)
                EXPECT_EQ(shown(set.pages[other]), other == tab) << set.tabs << ": " << tab << " " << other;
        }
    }

    // The folder to clean, through the folder browser.
    SelectTabAsUser(control(ids::kTabMain), 3);
    desktop.chosenFolders = {scratch + "\\"};
    test::Click(control(ids::kAddDir));

    // The log fills while the run works, the pointer over the window is the hourglass
    // throughout, and the run is live.
    const auto pointerOverLog = [&control] {
        HWND log = control(ids::kLog);
        ::SendMessageA(log, WM_SETCURSOR, reinterpret_cast<WPARAM>(log), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return ::GetCursor();
    };
    const HCURSOR hourglass = ::LoadCursor(nullptr, IDC_WAIT);
    int rowsSeenDuringRun = 0, hourglassLines = 0;
    {
        test::LineWatcher watch(window->GetSession().log, [&] {
            rowsSeenDuringRun = static_cast<int>(::SendMessageA(control(ids::kLog), LVM_GETITEMCOUNT, 0, 0));
            hourglassLines += pointerOverLog() == hourglass;
        });
        test::Click(control(ids::kStartCleaning));
    }
    EXPECT_EQ(hourglassLines, static_cast<int>(window->GetSession().log.Lines().size()));
    EXPECT_NE(pointerOverLog(), hourglass);
    EXPECT_EQ(::SendMessageA(control(ids::kTabMain), TCM_GETCURSEL, 0, 0), 0);
    const auto& lines = window->GetSession().log.Lines();
    ASSERT_GT(lines.size(), 3u);
    EXPECT_GE(rowsSeenDuringRun + 1, static_cast<int>(lines.size()) - 1);
    for (const LogLine& line : lines) EXPECT_NE(line.task.rfind("Testing : ", 0), 0u) << line.task;
    EXPECT_EQ(lines.back().task.rfind("Finished :- ", 0), 0u);
    EXPECT_FALSE(std::filesystem::exists(scratch));
    EXPECT_FALSE(std::filesystem::exists(tempFile));
    EXPECT_TRUE(test::ValueNames(HKEY_CURRENT_USER, typed).empty());
    EXPECT_EQ(GetRegString(HKEY_CURRENT_USER, runMru, "a"), "");
    EXPECT_TRUE(shown(ids::kSaveLog) && !shown(ids::kAbort));

    // The report, through the Save dialog.
    desktop.savedFiles = {program + "\\report.txt"};
    test::Click(control(ids::kSaveLog));
    const std::string report = test::ReadFileBytes(program + "\\report.txt");
    EXPECT_EQ(report.rfind("Sweepora log Report\r\n", 0), 0u);
    EXPECT_NE(report.find(lines.back().task.substr(0, 20)), std::string::npos);

    // Closing saves every setting, the directory list with them.
    test::Click(control(ids::kCleanFirst + 9)); // Recycle Bin off
    ::SendMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(window->Handle(), nullptr);
    EXPECT_EQ(store.Get(kSectionErase, "RecBin", ""), "0");
    EXPECT_EQ(store.Get(kSectionErase, kCustomDirListKey, ""), scratch + "\\");
    EXPECT_TRUE(std::filesystem::exists(program + "\\SafeCookie.dat"));
    window.reset();
    std::filesystem::remove_all(program);
}

} // namespace
} // namespace sweepora
