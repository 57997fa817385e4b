// The program in the notification area: the tray icon, the menus, stealth and the hotkeys,
// driven with the messages the shell and the system send.
#include "engine/CleaningRun.h"
#include "platform/Paths.h"
#include "settings/AppSettings.h"
#include "shell/MainWindowFixture.h"
#include "shell/MessageBoxWindow.h"

#include <array>

namespace sweepora {
namespace {

// What was up while the window waited on a menu or a notice; the closer ends either.
struct Seen {
    bool menu = false;
    RECT menuAt = {};
    std::vector<std::string> items;
    std::string notice;
    HWND noticeOwner = nullptr;
    bool ownerEnabled = true;
};
Seen seen;

void CALLBACK CloseWhatIsUp(HWND, UINT, UINT_PTR, DWORD)
{
    HWND menu = ::FindWindowA("#32768", nullptr);
    if (menu != nullptr && ::IsWindowVisible(menu)) {
        seen.menu = true;
        ::GetWindowRect(menu, &seen.menuAt);
        HMENU items = reinterpret_cast<HMENU>(::SendMessageA(menu, MN_GETHMENU, 0, 0));
        for (int i = 0; i < ::GetMenuItemCount(items); ++i) {
            char text[128] = {};
            ::GetMenuStringA(items, i, text, sizeof text, MF_BYPOSITION);
            seen.items.push_back(text);
        }
        ::EndMenu();
    }
    if (HWND notice = ::FindWindowA(nullptr, "HotKey Information")) {
        seen.notice = test::ItemText(notice, MessageBoxWindow::kMessageId);
        seen.noticeOwner = ::GetWindow(notice, GW_OWNER);
        seen.ownerEnabled = ::IsWindowEnabled(seen.noticeOwner) != FALSE;
        test::Click(::GetDlgItem(notice, MessageBoxWindow::kOkId));
    }
}

struct Closer {
    Closer() : id(::SetTimer(nullptr, 0, 100, &CloseWhatIsUp)) { seen = {}; }
    ~Closer() { ::KillTimer(nullptr, id); }
    UINT_PTR id;
};

struct TrayTest : MainWindowTest {
    HWND W() const { return window->Handle(); }
    void Command(int id) { ::SendMessageA(W(), WM_COMMAND, MAKEWPARAM(id, 0), 0); }
    void Hotkey(Hotkeys::Combination c) { ::SendMessageA(W(), WM_HOTKEY, c, 0); }
    void Release() { test::Pump(150); } // the keys up again: the next message is a new press
    bool Shown() const { return ::IsWindowVisible(W()) && !::IsIconic(W()); }
};

// The icon's clicks, minimising to the tray and Hide without the notice are the end-to-end
// script's.
TEST_F(TrayTest, ButtonsDropTheirMenusTheCommandsReachTheDesktopAndPanicHidesUnderANotice)
{
    Open();
    OnlyClipboard();
    // "Mode" and "Help" drop their menus from the button's right edge, halfway down.
    for (int button : {ids::kMode, ids::kHelp}) {
        Closer closer;
        test::Click(C(button));
        RECT r;
        ::GetWindowRect(C(button), &r);
        ASSERT_TRUE(seen.menu) << button;
        EXPECT_EQ(seen.menuAt.left, r.right) << button;
        EXPECT_EQ(seen.menuAt.top, r.top + (r.bottom - r.top) / 2) << button;
        EXPECT_EQ(seen.items.front(), button == ids::kMode ? "Hide Sweepora and Minimize all Windows" : "About Sweepora");
    }

    Command(ids::kMenuMinimizeAll);
    Command(ids::kMenuLogoff);
    Command(ids::kMenuShutDown);
    EXPECT_EQ(desktop.minimized, std::vector<int>{0});
    EXPECT_EQ(desktop.sessionEnds, (std::vector<UINT>{EWX_LOGOFF, EWX_SHUTDOWN}));
    Command(ids::kMenuPerformCleaning);
    EXPECT_EQ(Runs(), 1);
    EXPECT_EQ(S().log.Lines().front().task.rfind("Testing : ", 0), std::string::npos) << "a live run";
    // What happens to the chosen file is the eraser's own tests' business.
    desktop.chosenFiles = {folder.File("doomed.txt")};
    test::WriteFileBytes(desktop.chosenFiles[0], "secret");
    Command(ids::kMenuEradicateFile);
    EXPECT_FALSE(FileExists(folder.File("doomed.txt")));
    Command(ids::kMenuHelp);
    ASSERT_FALSE(desktop.launched.empty());
    EXPECT_EQ(desktop.launched.back().file, AddBackslash(folder.Path()) + "help\\Help.htm");
    EXPECT_EQ(desktop.launched.back().showCommand, SW_SHOWMAXIMIZED);

    // Panic minimises the other windows first, then hides under a modal notice.
    desktop.minimized.clear();
    bool shownWhenMinimizing = false;
    desktop.onMinimize = [&] { shownWhenMinimizing = ::IsWindowVisible(W()) != FALSE; };
    {
        Closer closer;
        Command(ids::kMenuPanic); // waits on the notice until the closer presses OK
        EXPECT_NE(seen.notice.find("CTRL+ALT+U"), std::string::npos);
    }
    // Modal over the main window, which cannot be closed under it.
    EXPECT_TRUE(seen.noticeOwner == W() && !seen.ownerEnabled);
    EXPECT_TRUE(::IsWindowEnabled(W()));
    EXPECT_TRUE(shownWhenMinimizing) << "other windows go first, then the program";
    EXPECT_EQ(desktop.minimized, std::vector<int>{0});
    EXPECT_FALSE(::IsWindowVisible(W()));
    EXPECT_FALSE(window->TrayIconPresent());
    EXPECT_EQ(desktop.taskListEntry, std::vector<bool>{false});
    Release();
    Hotkey(Hotkeys::kUnhide);
    EXPECT_TRUE(Shown() && window->TrayIconPresent());
    EXPECT_EQ(desktop.taskListEntry, (std::vector<bool>{false, true}));
}

// A held press and the two keys together are the end-to-end script's.
TEST_F(TrayTest, ActionsKeyRunsTheTickedActionsInOrder)
{
    Open();
    AppSettings& s = S().settings;
    OnlyClipboard();
    s.Hide = s.MinimizeWindows = s.PerformCleaning = s.Logoff = s.HotKeyShutdown = "1";
    bool hiddenAtRun = false, minimizedAtRun = false;
    {
        test::LineWatcher watcher(S().log, [&] {
            if (S().log.Lines().size() != 1) return;
            hiddenAtRun = !::IsWindowVisible(W()) && ::IsIconic(W());
            minimizedAtRun = !desktop.minimized.empty();
        });
        Hotkey(Hotkeys::kActions);
    }
    EXPECT_TRUE(hiddenAtRun && minimizedAtRun) << "hide and minimise come before the cleaning";
    EXPECT_FALSE(window->TrayIconPresent());
    EXPECT_EQ(desktop.taskListEntry, std::vector<bool>{false});
    EXPECT_EQ(Runs(), 1);
    for (const LogLine& line : S().log.Lines())
        EXPECT_EQ(line.task.rfind("Testing : ", 0), 0u) << "Start Cleaning was never used: " << line.task;
    EXPECT_EQ(desktop.sessionEnds, std::vector<UINT>{EWX_LOGOFF}) << "logging off leaves out the shutdown";

    Release();
    s.Logoff = s.Hide = s.MinimizeWindows = s.PerformCleaning = "0";
    Hotkey(Hotkeys::kActions);
    EXPECT_EQ(desktop.sessionEnds, (std::vector<UINT>{EWX_LOGOFF, EWX_SHUTDOWN}));

    // A new press during a run starts no second run.
    Release();
    s.HotKeyShutdown = "0";
    s.PerformCleaning = "1";
    bool pressed = false;
    {
        test::LineWatcher again(S().log, [&] {
            if (pressed) return;
            pressed = true;
            Release();
            Hotkey(Hotkeys::kActions);
        });
        Hotkey(Hotkeys::kActions);
    }
    EXPECT_TRUE(pressed);
    EXPECT_EQ(Runs(), 2);
}

// The keyboard the polled hotkeys read.
std::array<bool, 256> keysDown;
SHORT WINAPI TestKeyState(int key) { return keysDown[key & 0xFF] ? static_cast<SHORT>(0x8000) : 0; }

void Hold(std::initializer_list<int> keys, bool down)
{
    for (int key : keys) keysDown[key] = down;
}

TEST_F(TrayTest, ACombinationHeldByAnotherProgramIsPolledAndStillActsOncePerPress)
{
    ASSERT_TRUE(::RegisterHotKey(nullptr, 7, MOD_CONTROL | MOD_ALT, 'H'));
    keysDown = {};
    MainWindowOptions options;
    options.keyState = &TestKeyState;
    Open(options);
    ::UnregisterHotKey(nullptr, 7);
    EXPECT_TRUE(window->GetHotkeys().Polled(Hotkeys::kActions));
    EXPECT_FALSE(window->GetHotkeys().Polled(Hotkeys::kUnhide));
    ASSERT_EQ(S().log.Lines().size(), 1u);
    EXPECT_NE(S().log.Lines()[0].task.find("Hotkey CTRL+ALT+H is held by another program"), std::string::npos);

    S().settings.Logoff = "1";
    for (int press = 1; press <= 2; ++press) {
        Hold({VK_CONTROL, VK_MENU, 'H'}, true);
        test::Pump(300); // thirty polls with the keys down
        Hold({'H', VK_MENU, VK_CONTROL}, false);
        test::Pump(100);
        EXPECT_EQ(desktop.sessionEnds.size(), static_cast<std::size_t>(press));
    }
}

} // namespace
} // namespace sweepora
