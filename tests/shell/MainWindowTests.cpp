// The main window driven with real window messages, over a scratch settings store and the
// desktop double: nothing here shows a box, opens a dialog or starts a program.
#include "controls/XpCheckBox.h"
#include "controls/XpCommandButton.h"
#include "controls/XpRadioButton.h"
#include "engine/CleaningRun.h"
#include "platform/Ini.h"
#include "platform/Paths.h"
#include "settings/PolicySettingsStore.h"
#include "shell/MainWindowFixture.h"
#include "shell/OptionBoxes.h"
#include "shell/SingleInstance.h"
#include "shell/WindowParts.h"

#include <commctrl.h>

#include <algorithm>

namespace sweepora {
namespace {

TEST_F(MainWindowTest, LoadSequenceFollowsTheStartupSettings)
{
    EXPECT_EQ(StartupArgument("  m  ") + StartupArgument("minimised") + StartupArgument(""), "mm");

    struct Case { const char* arg; const char* loadMin; const char* stealth; bool visible, tray; };
    // Only a lower-case "m" minimises; stealth takes the icon and leaves the window.
    for (const Case& c : {Case{"", "0", "0", true, true}, Case{"m", "0", "0", false, true},
                          Case{"M", "0", "1", true, false}, Case{"", "1", "0", false, true}}) {
        store.Set(kSectionStartup, "LoadMin", c.loadMin);
        store.Set(kSectionStartup, "Stealth", c.stealth);
        MainWindowOptions options;
        options.startupArg = c.arg;
        Open(options);
        EXPECT_EQ(::IsWindowVisible(window->Handle()) != FALSE, c.visible) << c.arg << c.loadMin << c.stealth;
        EXPECT_EQ(window->TrayIconPresent(), c.tray) << c.arg << c.loadMin << c.stealth;
        EXPECT_EQ(Tab(ids::kTabMain), 1);
        EXPECT_FALSE(::IsWindowVisible(C(ids::kAbort)) || LogRows() != 0);
        // Stealth also asks for the task-list entry to go.
        EXPECT_EQ(desktop.taskListEntry, std::vector<bool>(c.tray ? 0 : 1, false)) << c.stealth;
        desktop.taskListEntry.clear();
        window.reset();
    }

    // Cleaning at start is a test run: it logs what it would erase and erases nothing.
    store.Set(kSectionStartup, "LoadMin", "0");
    store.Set(kSectionStartup, "Startup", "1");
    Open();
    ASSERT_GT(LogRows(), 0);
    for (const LogLine& line : S().log.Lines()) EXPECT_EQ(line.task.rfind("Testing : ", 0), 0u) << line.task;
    EXPECT_NE(S().log.Lines().back().task.find("Finished :- "), std::string::npos);
}

TEST_F(MainWindowTest, ASecondCopyEndsAtOnce)
{
    SingleInstance first;
    ASSERT_TRUE(first.First());
    EXPECT_FALSE(SingleInstance().First());
    const std::string exe = AddBackslash(FolderOf(ExecutablePath())) + "sweepora.exe";
    EXPECT_EQ(test::RunProgram(exe, "").exitCode, 0u);
}

TEST_F(MainWindowTest, CleaningPageEnablingRulesAndTheDirectoryList)
{
    Open();
    test::Click(C(ids::kDeselectAll));
    EXPECT_EQ(S().settings.NetHistory, "0");
    EXPECT_EQ(S().settings.TempFiles, "0");
    for (int id : {ids::kHistoryCust, ids::kCookiesCust, ids::kUrlCust, ids::kCleanDir}) EXPECT_FALSE(Enabled(id));
    test::Click(C(ids::kCleanFirst + 0));
    EXPECT_EQ(S().settings.NetHistory, "1");
    EXPECT_FALSE(Enabled(ids::kHistoryCust));

    // Box 12 rules the directory controls; the remove buttons also need an entry.
    test::Click(C(ids::kCleanFirst + kCustomDirsBox));
    EXPECT_EQ(S().settings.CustomDirs, "1");
    EXPECT_TRUE(Enabled(ids::kDirs) && Enabled(ids::kAddDir) && Enabled(ids::kCleanDir));
    EXPECT_FALSE(Enabled(ids::kRemoveDir) || Enabled(ids::kRemoveAllDirs));
    const std::string reports = u8"C:\\Work\\\u043e\u0442\u0447\u0451\u0442\u044b \u65e5\u8a18 \U0001F512\\";
    // A folder that a run would empty whole is refused with a box that names it and says why;
    // which folders those are is the engine tests' business.
    desktop.chosenFolders = {reports, "C:\\users\\", "C:\\Work\\Scratch\\", "c:\\work\\scratch\\", "C:\\Other\\"};
    for (int i = 0; i < 6; ++i) test::Click(C(ids::kAddDir)); // the last one is cancelled
    ASSERT_EQ(desktop.asked.size(), 1u);
    EXPECT_EQ(desktop.asked[0].prompt.rfind("\"C:\\users\\\" was not added to the list: it holds ", 0), 0u)
        << desktop.asked[0].prompt;
    // Names in any script are shown whole.
    EXPECT_EQ(ListItems(ids::kDirs), (std::vector<std::string>{reports, "C:\\Work\\Scratch\\", "C:\\Other\\"}));
    EXPECT_TRUE(Enabled(ids::kRemoveAllDirs));
    EXPECT_FALSE(Enabled(ids::kRemoveDir));
    Choose(ids::kDirs, 0);
    EXPECT_TRUE(Enabled(ids::kRemoveDir));
    test::Click(C(ids::kRemoveDir));
    EXPECT_EQ(ListItems(ids::kDirs), (std::vector<std::string>{"C:\\Work\\Scratch\\", "C:\\Other\\"}));
    desktop.answer = IDNO;
    test::Click(C(ids::kRemoveAllDirs));
    EXPECT_EQ(desktop.asked.back().prompt, "Are you sure to remove all directories?");
    EXPECT_EQ(ListItems(ids::kDirs).size(), 2u);
    desktop.answer = IDYES; // that the list outlives the program is the end-to-end test's
    test::Click(C(ids::kRemoveAllDirs));
    EXPECT_TRUE(ListItems(ids::kDirs).empty());
    test::Click(C(ids::kCleanFirst + kCustomDirsBox));
    for (int id : {ids::kDirs, ids::kAddDir, ids::kRemoveDir, ids::kRemoveAllDirs, ids::kCleanDir})
        EXPECT_FALSE(Enabled(id));

    test::Click(C(ids::kSelectAll));
    EXPECT_EQ(S().settings.EmailHistory, "1");
    for (int id : {ids::kHistoryCust, ids::kCookiesCust, ids::kUrlCust, ids::kCleanDir}) EXPECT_TRUE(Enabled(id));

    // "Customize..." lands on its own page.
    struct Jump { int button, mainTab, moreTab; };
    for (const Jump& j : {Jump{ids::kCookiesCust, 2, 0}, Jump{ids::kUrlCust, 2, 1}, Jump{ids::kHistoryCust, 2, 2},
                          Jump{ids::kCleanDir, 3, -1}}) {
        SelectTabAsUser(C(ids::kTabMain), 1);
        test::Click(C(j.button));
        EXPECT_EQ(Tab(ids::kTabMain), j.mainTab);
        EXPECT_TRUE(j.moreTab < 0 || Tab(ids::kTabMore) == j.moreTab) << j.button;
    }

    // The level buttons, and a stored level the buttons do not know.
    test::Click(C(ids::kLevelFirst + 2));
    EXPECT_EQ(S().settings.NoOverWrites, 20);
    test::Click(C(ids::kLevelFirst + 1));
    EXPECT_EQ(S().settings.NoOverWrites, 7);
    window.reset();
    store.Set(kSectionErase, "NoOverWrites", "3");
    Open();
    EXPECT_EQ(Check(ids::kLevelFirst + 0), 1);
    EXPECT_EQ(S().settings.NoOverWrites, 3);
}

TEST_F(MainWindowTest, SafeListPagesMoveEntriesAndSaveOnPageChange)
{
    const std::string typed = "Software\\Microsoft\\Internet Explorer\\TypedURLs";
    test::ScratchKey typedKey{typed};
    test::WriteString(HKEY_CURRENT_USER, typed, "url1", "http://one.example/");
    test::WriteString(HKEY_CURRENT_USER, typed, "url2", "http://two.example/");
    test::WriteFileBytes(folder.File("SafeURLs.dat"), "HTTP://TWO.EXAMPLE/\r\n");
    Open();
    SelectTabAsUser(C(ids::kTabMain), 2);
    SelectTabAsUser(C(ids::kTabMore), 1);
    const int clean = ids::kTypedPage + ids::kCleanList, safe = ids::kTypedPage + ids::kSafeList;
    EXPECT_EQ(ListItems(clean), std::vector<std::string>{"http://one.example/"});
    EXPECT_EQ(ListItems(safe), std::vector<std::string>{"HTTP://TWO.EXAMPLE/"});

    Choose(clean, 0);
    test::Click(C(ids::kTypedPage + ids::kAdd));
    EXPECT_TRUE(ListItems(clean).empty());
    EXPECT_EQ(ListItems(safe).size(), 2u);
    SelectTabAsUser(C(ids::kTabMore), 2);
    EXPECT_EQ(test::ReadFileBytes(folder.File("SafeURLs.dat")), "HTTP://TWO.EXAMPLE/\r\nhttp://one.example/\r\n");
    EXPECT_EQ(test::ReadFileBytes(folder.File("SafeCookie.dat")), "");

    // A double click on a safe entry sends it back; Remove All empties the safe list.
    SelectTabAsUser(C(ids::kTabMore), 1);
    Choose(safe, 0);
    Tell(safe, LBN_DBLCLK);
    EXPECT_EQ(ListItems(clean), std::vector<std::string>{"HTTP://TWO.EXAMPLE/"});
    test::Click(C(ids::kTypedPage + ids::kRemoveAll));
    EXPECT_TRUE(ListItems(safe).empty());
    EXPECT_EQ(ListItems(clean).size(), 2u);
    // Entering More Options again reloads from the files: the unsaved edits are gone.
    SelectTabAsUser(C(ids::kTabMain), 0);
    SelectTabAsUser(C(ids::kTabMain), 2);
    EXPECT_EQ(Tab(ids::kTabMore), 0);
    SelectTabAsUser(C(ids::kTabMore), 1);
    EXPECT_EQ(ListItems(clean).size(), 2u);
}

TEST(Scheduler, CountsEachPeriodsMinutesAndStopsCountingWithoutOne)
{
    AppSettings s;
    Scheduler scheduler;
    scheduler.Arm();
    // Each period counts its minutes from the last run; 5 is what the minutes box says.
    for (const auto& [period, minutes] : {std::make_pair(SchedulePeriod::Minutes, 5), std::make_pair(SchedulePeriod::Hour, 60),
                                          std::make_pair(SchedulePeriod::Day, 1440)}) {
        ChooseSchedulePeriod(s, period, "5");
        int ticks = 1;
        while (ticks < 2000 && !scheduler.Tick(s)) ++ticks;
        EXPECT_EQ(ticks, minutes);
    }
    ChooseSchedulePeriod(s, SchedulePeriod::None, "");
    for (int i = 0; i < 40000; ++i) EXPECT_FALSE(scheduler.Tick(s)) << i;
    EXPECT_EQ(scheduler.Counter(), 32767);
}

TEST_F(MainWindowTest, MinutesBoxValidatesAndScheduledRunsStartOnTheTickAndStopWhenDisabled)
{
    store.Set(kSectionScheduling, "NoSchedule", "1");
    store.Set(kSectionScheduling, "ScheduleMinutes", "1");
    store.Set(kSectionScheduling, "ScheduleMin", "30");
    MainWindowOptions options;
    options.schedulerTickMilliseconds = 40;
    Open(options);
    OnlyClipboard();
    // The box filters keys, steps within 1 to 30 and says so when a value is out of range.
    HWND box = C(ids::kMinutes);
    EXPECT_TRUE(Enabled(ids::kMinutes));
    EXPECT_EQ(test::ItemText(::GetParent(box), ids::kMinutes), "30");
    ::SendMessageA(box, WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(test::ItemText(::GetParent(box), ids::kMinutes), "30");
    ::SendMessageA(box, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(S().settings.ScheduleMin, "29");
    ::SetWindowTextA(box, "");
    for (char key : {'a', '4', '5'}) ::SendMessageA(box, WM_CHAR, key, 0);
    EXPECT_EQ(test::ItemText(::GetParent(box), ids::kMinutes), "45");
    Tell(ids::kMinutes, EN_KILLFOCUS);
    ASSERT_FALSE(desktop.asked.empty());
    EXPECT_EQ(desktop.asked.back().prompt, "Enter value in range 1 to 30 only");
    ::SendMessageA(C(ids::kMinutesUpDown), UDM_SETPOS32, 0, 12);
    ::SendMessageA(window->Handle(), WM_VSCROLL, SB_THUMBPOSITION, reinterpret_cast<LPARAM>(C(ids::kMinutesUpDown)));
    EXPECT_EQ(S().settings.ScheduleMin, "12");
    ::SetWindowTextA(box, "1");
    ::SendMessageA(box, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(S().settings.ScheduleMin, "1");

    for (int i = 0; i < 100 && Runs() < 2; ++i) test::Pump(20);
    EXPECT_GE(Runs(), 2) << "runs again once the run has re-armed it";
    EXPECT_EQ(Tab(ids::kTabMain), 0);
    EXPECT_TRUE(S().run.live) << "a scheduled run goes through Start Cleaning";

    // Unchecked: no scheduled run any more, not even after a run the user starts.
    SelectTabAsUser(C(ids::kTabMain), 4);
    SelectTabAsUser(C(ids::kTabGeneral), 1);
    test::Click(C(ids::kScheduling));
    EXPECT_FALSE(window->GetScheduler().Armed());
    test::Click(C(ids::kStartCleaning));
    const int after = Runs();
    test::Pump(400);
    EXPECT_EQ(Runs(), after);
    EXPECT_FALSE(window->GetScheduler().Armed() || Enabled(ids::kPeriodFirst));

    // Checked again: "once per hour" is the hour key and comes back selected.
    test::Click(C(ids::kScheduling));
    EXPECT_TRUE(window->GetScheduler().Armed());
    test::Click(C(ids::kPeriodFirst + 0));
    EXPECT_EQ(S().settings.ScheduleHour + S().settings.ScheduleMinutes, "10");
    EXPECT_FALSE(Enabled(ids::kMinutes));
    Close();
    Open();
    EXPECT_EQ(std::to_string(Check(ids::kPeriodFirst + 0)) + std::to_string(Check(ids::kPeriodFirst + 1)), "10");
}

// What closing saves is the end-to-end test's.
TEST_F(MainWindowTest, LogCommandsAskFirstAndOnlyTheSessionsEndCleansBeforeItSaves)
{
    Open();
    test::Click(C(ids::kSaveLog));
    test::Click(C(ids::kClearLog));
    EXPECT_TRUE(desktop.dialogs.empty() && desktop.asked.empty()) << "an empty log asks nothing";
    S().log.AddLogEntry("Recycle Bin Cleared ", "now");
    // The log's text is UTF-8, and the list shows names in any script whole.
    const std::string name = u8"C:\\\u043f\u043b\u0430\u043d \u65e5\u8a18 \U0001F512.txt";
    S().log.AddLogEntry(name, u8"\u00e9t\u00e9");
    EXPECT_EQ(LogCell(1, 0) + "|" + LogCell(1, 1), "Testing : " + name + u8"|\u00e9t\u00e9");
    desktop.answer = IDNO;
    test::Click(C(ids::kClearLog));
    EXPECT_EQ(LogRows(), 2);
    desktop.answer = IDYES;
    test::Click(C(ids::kClearLog));
    EXPECT_EQ(LogRows(), 0);

    ::SendMessageA(window->Handle(), WM_QUERYENDSESSION, 0, 0);
    ::SendMessageA(window->Handle(), WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(LogRows(), 0) << "no cleaning at the session's end unless asked";
    test::Click(C(ids::kStartupFirst + 2)); // clean at shutdown
    // Cleaning comes first: while the run logs, the store still holds the old settings.
    std::vector<std::string> storedDuringRun;
    {
        test::LineWatcher watch(S().log, [&] { storedDuringRun.push_back(store.Get(kSectionScheduling, "Shutdown", "")); });
        ::SendMessageA(window->Handle(), WM_ENDSESSION, TRUE, 0);
    }
    ASSERT_GT(LogRows(), 0);
    EXPECT_EQ(S().log.Lines().back().task.rfind("Testing : Finished :- ", 0), 0u);
    EXPECT_EQ(storedDuringRun, std::vector<std::string>(S().log.Lines().size(), "0"));
    EXPECT_EQ(store.Get(kSectionScheduling, "Shutdown", ""), "1");
}

BOOL CALLBACK CollectChild(HWND child, LPARAM list)
{
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
    return TRUE;
}

// How much room the control's caption needs in its own font, in pixels.
SIZE CaptionNeeds(HWND control, const std::string& text, int width, bool wraps)
{
    HDC dc = ::GetDC(control);
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(control, WM_GETFONT, 0, 0)));
    RECT r = {0, 0, width, 0};
    ::DrawTextA(dc, text.c_str(), -1, &r, DT_CALCRECT | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
    ::SelectObject(dc, old);
    ::ReleaseDC(control, dc);
    return {r.right, r.bottom};
}

TEST_F(MainWindowTest, LayoutFitsAt96And120Dpi)
{
    for (int dpi : {96, 120}) {
        MainWindowOptions options;
        options.dpi = dpi;
        Open(options);
        std::vector<HWND> children;
        ::EnumChildWindows(window->Handle(), &CollectChild, reinterpret_cast<LPARAM>(&children));
        ASSERT_GT(children.size(), 100u);
        for (HWND child : children) {
            char text[256] = {}, name[64] = {};
            ::GetWindowTextA(child, text, sizeof text);
            ::GetClassNameA(child, name, sizeof name);
            const std::string cls = name;
            const std::string where = std::to_string(dpi) + " dpi, " + cls + " \"" + text + "\"";
            RECT inside, r;
            ::GetClientRect(::GetParent(child), &inside);
            ::GetWindowRect(child, &r);
            ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&r), 2);
            EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= inside.right && r.bottom <= inside.bottom) << where;
            if (*text == '\0') continue;
            const int width = r.right - r.left, height = r.bottom - r.top;
            const bool box = cls == kXpCheckBoxClass || cls == kXpRadioButtonClass || cls == "Button";
            if (box || cls == kXpCommandButtonClass) {
                const int margin = ::MulDiv(box ? 18 : 12, dpi, 96); // the glyph, or the button's edges
                EXPECT_LE(CaptionNeeds(child, text, width, false).cx + margin, width) << where;
            } else if (cls == "Static" && (::GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) != SS_OWNERDRAW) {
                EXPECT_LE(CaptionNeeds(child, text, width, true).cy, height) << where;
            }
        }
        Close();
    }
}

TEST_F(MainWindowTest, KeyboardMovesThroughThePageAndReachesTheRun)
{
    Open();
    // The pointer passing over "Start Cleaning >>" and away is no click.
    ::SetCursorPos(0, 0);
    ::SendMessageA(C(ids::kStartCleaning), WM_MOUSEMOVE, 0, test::kInside);
    test::Pump(300);
    EXPECT_FALSE(S().run.live);
    EXPECT_EQ(LogRows(), 0);

    auto press = [&](UINT message, WPARAM key) {
        MSG msg = {::GetFocus(), message, key, message == WM_SYSCHAR ? (1 << 29) : 0, 0, {}};
        window->Dispatch(msg);
        test::Pump(0);
    };
    // Tab visits the Cleaning page's boxes in order and nothing on a hidden page.
    ::SetFocus(C(ids::kCleanFirst));
    std::vector<int> visited;
    for (int i = 0; i < 40 && (visited.empty() || ::GetFocus() != C(ids::kCleanFirst)); ++i) {
        visited.push_back(::GetDlgCtrlID(::GetFocus()));
        EXPECT_TRUE(::IsWindowVisible(::GetFocus())) << visited.back();
        press(WM_KEYDOWN, VK_TAB);
    }
    ASSERT_GE(visited.size(), 16u);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(visited[i], ids::kCleanFirst + i);
    for (int id : {ids::kSelectAll, ids::kDeselectAll, ids::kStartCleaning, ids::kHelp, ids::kTabMain})
        EXPECT_NE(std::find(visited.begin(), visited.end(), id), visited.end()) << id;

    // Access keys: Alt+D is "&Deselect All", Alt+S "&Select All".
    press(WM_SYSCHAR, 'd');
    EXPECT_EQ(S().settings.NetHistory, "0");
    EXPECT_EQ(Check(ids::kCleanFirst), 0);
    press(WM_SYSCHAR, 's');
    EXPECT_EQ(Check(ids::kCleanFirst + 15), 1);

    // Esc during a run asks, then aborts it.
    test::Click(C(ids::kDeselectAll));
    for (int i = 0; i < 3; ++i) test::WriteFileBytes(folder.File("f" + std::to_string(i) + ".tmp"), "trace");
    desktop.chosenFolders = {AddBackslash(folder.Path())};
    test::Click(C(ids::kCleanFirst + kCustomDirsBox));
    test::Click(C(ids::kAddDir));
    desktop.answer = IDYES;
    ::PostMessageA(C(ids::kLog), WM_KEYDOWN, VK_ESCAPE, 0);
    test::Click(C(ids::kStartCleaning));
    ASSERT_FALSE(desktop.asked.empty());
    EXPECT_EQ(desktop.asked.back().prompt, "Abort Cleaning Operation?");
    EXPECT_EQ(S().log.Lines().back().task, kAbortedByUser);
}

// The ticks reach the plugin files and the store when the window closes.
TEST_F(MainWindowTest, PoliciesHoldTheirSettingsAndWarnedDefinitionsAskFirst)
{
    const char* policies = "Software\\SweeporaTests\\MainPolicies";
    test::ScratchKey policyKey{policies};
    test::WriteString(HKEY_CURRENT_USER, std::string(policies) + "\\EraseSettings", "RunHistory", "0");
    test::WriteString(HKEY_CURRENT_USER, std::string(policies) + "\\EraseSettings", "NoOverWritesMinimum", "7");
    test::WriteString(HKEY_CURRENT_USER, std::string(policies) + "\\EraseSettings", "RequiredDefinitions", "Viewer");
    store.Set(kSectionErase, "RunHistory", "1");
    for (const char* sub : {"plugins", "definitions"}) ::CreateDirectoryA(folder.File(sub).c_str(), nullptr);
    test::WriteFileBytes(folder.File("plugins\\Viewer.plg"), "[Info]\r\nSelected=1\r\n");
    test::WriteFileBytes(folder.File("plugins\\Editor.plg"), "[Info]\r\nDescription=Editor traces\r\nSelected=1\r\n");
    test::WriteFileBytes(folder.File("definitions\\mine.ini"),
                         "[Quiet *]\r\nFileKey1=C:\\Nowhere|*.q\r\n[Loud *]\r\nWarning=Signs you out.\r\nFileKey1=C:\\Nowhere|*.l\r\n");
    PolicySettingsStore policyStore(store, policies);
    window = std::make_unique<MainWindow>(policyStore, desktop, folder.File("sweepora.exe"), MainWindowOptions{});
    ASSERT_TRUE(window->Create());

    int runHistory = 0;
    while (CleaningBoxes()[runHistory].setting != &AppSettings::RunHistory) ++runHistory;
    EXPECT_FALSE(Enabled(ids::kCleanFirst + runHistory));
    EXPECT_EQ(Check(ids::kCleanFirst + runHistory), 0);
    EXPECT_TRUE(!Enabled(ids::kLevelFirst) && Enabled(ids::kLevelFirst + 1) && Enabled(ids::kLevelFirst + 2));
    EXPECT_EQ(Check(ids::kLevelFirst + 1), 1);
    test::Click(C(ids::kSelectAll));
    EXPECT_EQ(Check(ids::kCleanFirst + runHistory), 0);

    SelectTabAsUser(C(ids::kTabMain), 2);
    HWND list = C(ids::kPlugins);
    ASSERT_EQ(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 4); // Editor and Viewer, then Loud and Quiet
    const auto ticked = [list](int i) { return ListView_GetCheckState(list, i) == 1; };
    // "Selected=1" in a plugin file is an unticked line, as it always was.
    EXPECT_TRUE(!ticked(0) && ticked(1) && !ticked(2) && !ticked(3));
    ListView_SetCheckState(list, 0, TRUE);
    ListView_SetCheckState(list, 1, FALSE); // required: it stays ticked
    desktop.answer = IDCANCEL;
    ListView_SetCheckState(list, 2, TRUE);
    EXPECT_FALSE(ticked(2));
    desktop.answer = IDOK;
    ListView_SetCheckState(list, 2, TRUE);
    EXPECT_TRUE(ticked(0) && ticked(1) && ticked(2));
    ASSERT_EQ(desktop.asked.size(), 2u);
    EXPECT_EQ(desktop.asked[0].prompt + "|" + desktop.asked[0].title, "Signs you out.|Loud");

    Close();
    EXPECT_EQ(store.Get(kSectionErase, "RunHistory", "?"), "1");
    EXPECT_EQ(store.Get(kSectionErase, "NoOverWrites", "?"), "0");
    EXPECT_EQ(store.Get("Definitions", "Loud", "?"), "1");
    EXPECT_EQ(store.Get("Definitions", "Quiet", "?"), "?");
    clsIni viewer, editor;
    viewer.IniPath(folder.File("plugins\\Viewer.plg"));
    editor.IniPath(folder.File("plugins\\Editor.plg"));
    EXPECT_EQ(viewer.GetIniSetting("Info", "Selected"), "1"); // the user's own tick, kept
    EXPECT_EQ(editor.GetIniSetting("Info", "Selected"), "0");
    window.reset(); // before the policy store it holds goes
}

} // namespace
} // namespace sweepora
