// The main window in the notification area: the tray icon, the Window, Help and tray
// menus with their privacy actions, stealth mode and the two hotkeys.
#include "shell/MainWindow.h"

#include "engine/CleaningRun.h"
#include "settings/AppSettings.h"
#include "shell/MessageBoxWindow.h"

namespace sweepora {

namespace {

struct MenuItem {
    UINT_PTR id; // 0: a separator
    const char* caption;
};

HMENU AppendItems(HMENU menu, std::initializer_list<MenuItem> items)
{
    for (const MenuItem& item : items)
        ::AppendMenuA(menu, item.id == 0 ? MF_SEPARATOR : MF_STRING, item.id, item.caption);
    return menu;
}

} // namespace

void MainWindow::CreateMenus()
{
    windowMenu_.reset(AppendItems(::CreatePopupMenu(), {{ids::kMenuPanic, "Hide Sweepora and Minimize all Windows"},
                                                        {ids::kMenuHide, "Hide Sweepora"},
                                                        {0, nullptr},
                                                        {ids::kMenuMinimizeAll, "Minimize All Windows"},
                                                        {ids::kMenuLogoff, "Log Off User"},
                                                        {ids::kMenuShutDown, "Shut Down Windows"}}));
    helpMenu_.reset(AppendItems(::CreatePopupMenu(), {{ids::kMenuAbout, "About Sweepora"},
                                                      {ids::kMenuHelp, "&Help"},
                                                      {ids::kMenuExit, "E&xit"}}));

    // The tray's items run the same commands as their namesakes above.
    HMENU m = AppendItems(::CreatePopupMenu(), {{ids::kMenuOpen, "Open"},
                                                {ids::kMenuPerformCleaning, "Perform Cleaning"},
                                                {ids::kMenuEradicateFile, "Select a File to Delete"},
                                                {0, nullptr},
                                                {ids::kMenuPanic, "Hide Sweepora/Minimize all windows"},
                                                {ids::kMenuHide, "Hide Sweepora"},
                                                {ids::kMenuMinimizeAll, "Minimize All Windows"},
                                                {ids::kMenuLogoff, "Log off User"},
                                                {ids::kMenuShutDown, "Shutdown Windows"},
                                                {0, nullptr}});
    trayMenu_.reset(m);
    HMENU help = AppendItems(::CreatePopupMenu(), {{ids::kMenuAbout, "About Sweepora"}, {ids::kMenuHelp, "Help"}});
    ::AppendMenuA(m, MF_POPUP, reinterpret_cast<UINT_PTR>(help), "Help"); // owned by the tray menu now
    AppendItems(m, {{0, nullptr}, {ids::kMenuExit, "E&xit"}});

    taskbarCreated_ = ::RegisterWindowMessageA("TaskbarCreated");
}

void MainWindow::StartHotkeys()
{
    const std::array<bool, 3> polled = hotkeys_.Start(window_.get());
    const char* names[] = {nullptr, "CTRL+ALT+U", "CTRL+ALT+H"};
    for (int c : {Hotkeys::kUnhide, Hotkeys::kActions})
        if (polled[c])
            session_.log.AddLogEntry(std::string("Hotkey ") + names[c] + " is held by another program",
                                     "watching the keys every 10 ms instead");
}

void MainWindow::OnTrayIcon(UINT mouseMessage)
{
    HWND w = window_.get();
    if (mouseMessage == WM_LBUTTONUP) {
        OpenWindow();
    } else if (mouseMessage == WM_RBUTTONUP) {
        // The menu is for the program in the tray; while the window is open it has its own.
        if (!::IsWindowVisible(w) || ::IsIconic(w)) ShowTrayMenu();
    }
}

void MainWindow::ShowTrayMenu()
{
    HWND w = window_.get();
    POINT at;
    ::GetCursorPos(&at);
    // Without the foreground the menu would not close when the user clicks elsewhere.
    ::SetForegroundWindow(w);
    ::TrackPopupMenu(trayMenu_.get(), TPM_RIGHTBUTTON | TPM_BOTTOMALIGN | TPM_RIGHTALIGN, at.x, at.y, 0, w,
                     nullptr);
    ::PostMessageA(w, WM_NULL, 0, 0);
}

void MainWindow::OpenWindow()
{
    HWND w = window_.get();
    if (::IsIconic(w) || !::IsWindowVisible(w)) ::ShowWindow(w, SW_RESTORE);
    ::ShowWindow(w, SW_SHOW);
    ::SetForegroundWindow(w);
}

void MainWindow::Panic()
{
    session_.desktop.MinimizeAllWindows(0);
    Hide();
}

// Stealth: no icon, no window, no task-list entry; only CTRL+ALT+U brings the program back.
void MainWindow::Hide()
{
    session_.desktop.ShowInTaskList(osName_, false);
    tray_.Delete();
    ::ShowWindow(window_.get(), SW_HIDE);
    if (session_.store.Get(kSectionStartup, "DonotShowMessBox", "0") != "0") return;
    MessageBoxWindow notice(session_.store, "HotKey Information",
                            std::string(kAppTitle) + " is now in stealth mode.\r\n Press CTRL+ALT+U To unhide");
    // Owned, so that the main window cannot be closed under it.
    notice.ShowModal(window_.get());
}

void MainWindow::Unhide()
{
    RestoreWindow(window_.get());
    tray_.Add();
    session_.desktop.ShowInTaskList(osName_, true);
}

// The ticked actions, in their fixed order; logging off leaves no room for shutting down.
void MainWindow::HotkeyActions()
{
    const AppSettings& s = session_.settings;
    if (s.Hide == "1") {
        HideWindow(window_.get());
        tray_.Delete();
        session_.desktop.ShowInTaskList(osName_, false);
    }
    if (s.MinimizeWindows == "1") session_.desktop.MinimizeAllWindows(0);
    // Erases only once Start Cleaning has been used; a nested run is refused by the run itself.
    if (s.PerformCleaning == "1") RunCleaning(session_);
    if (s.Logoff == "1") {
        session_.desktop.ExitWindowsSession(EWX_LOGOFF);
        return;
    }
    if (s.HotKeyShutdown == "1") session_.desktop.ExitWindowsSession(EWX_SHUTDOWN);
}

void MainWindow::OnHotkey(Hotkeys::Combination combination)
{
    if (combination == Hotkeys::kUnhide)
        Unhide();
    else if (combination == Hotkeys::kActions)
        HotkeyActions();
}

} // namespace sweepora
