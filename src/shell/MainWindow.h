#pragma once
#include "controls/GdiObjects.h"
#include "engine/Session.h"
#include "shell/Hotkeys.h"
#include "shell/Scheduler.h"
#include "shell/ThemeManifest.h"
#include "shell/TrayIcon.h"

#include <windows.h>

#include <array>
#include <set>
#include <string>

namespace sweepora {

struct MainWindowOptions {
    // The first character of the command line, blanks trimmed; "m" starts in the tray.
    std::string startupArg;
    // One scheduler tick; tests give a short one.
    unsigned schedulerTickMilliseconds = Scheduler::kTickMilliseconds;
    // Pixels per inch to lay the window out for; 0 takes the screen's.
    int dpi = 0;
    // How the hotkeys read the keyboard.
    Hotkeys::KeyStateFn keyState = &::GetAsyncKeyState;
};

// The ids of the window's controls, for the keyboard, the tests and the screenshots.
namespace ids {
enum : int {
    kTabMain = 1000, kStartCleaning, kMode, kHelp, kBanner, kSupport, kCopyright,
    kLog = 1100, kAbort, kSaveLog, kClearLog,
    kCleanFirst = 1200, // 16 boxes, 1200..1215
    kSelectAll = 1220, kDeselectAll, kHistoryCust, kCookiesCust, kUrlCust, kCleanDir,
    kTabMore = 1300,
    kCookiePage = 1310, kTypedPage = 1320, kHistoryPage = 1330, // + the offsets below
    kPlugins = 1340, kImport, kDownload, kSelectAllPlugins, kDeselectAllPlugins,
    kLevelFirst = 1400, // 3 buttons
    kDirs = 1410, kAddDir, kRemoveDir, kRemoveAllDirs,
    kTabGeneral = 1500,
    kStartupFirst = 1510, // 5 boxes
    kScheduling = 1520, kPeriodFirst, // 3 buttons, 1521..1523
    kMinutes = 1524, kMinutesUpDown,
    kHotkeyFirst = 1530, // 5 boxes
    kMenuAbout = 1600, kMenuHelp, kMenuExit,
    // The Window menu; the tray menu's items of the same name share these.
    kMenuPanic = 1610, kMenuHide, kMenuMinimizeAll, kMenuLogoff, kMenuShutDown,
    // The tray menu's own.
    kMenuOpen = 1620, kMenuPerformCleaning, kMenuEradicateFile,
};
// Within one safe-list page.
enum : int { kCleanList = 0, kSafeList, kAdd, kAddAll, kRemove, kRemoveAll, kRefresh };
} // namespace ids

constexpr const char* kMainWindowClass = "Sweepora.main";

// The program's main window: one view of the session's models. It is also the run's
// host, so a cleaning run repaints it, and Esc or "Abort (Esc)" reach the run.
class MainWindow final : public RunHost, public LogObserver {
public:
    MainWindow(SettingsStore& store, Desktop& desktop, std::string exePath, MainWindowOptions options);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Makes the window and runs its load sequence; false when it could not be made.
    bool Create();
    HWND Handle() const { return window_.get(); }
    Session& GetSession() { return session_; }
    const Scheduler& GetScheduler() const { return scheduler_; }
    bool TrayIconPresent() const { return tray_.Present(); }
    const Hotkeys& GetHotkeys() const { return hotkeys_; }
    // The control with `id`, wherever it sits.
    HWND Control(int id) const;
    // Runs messages until the window is gone; the keyboard moves between controls.
    int RunMessageLoop();
    // One message through the keyboard handling and the window; false for WM_QUIT.
    bool Dispatch(MSG& msg);

    // RunHost
    void YieldToQueue() override;
    void SelectStatusTab() override;
    void RunStarted() override;
    void RunFinished(bool rearmScheduler) override;
    // LogObserver
    void LineAdded(const LogLine& line) override;
    void Cleared() override;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

    // Building the window (MainWindowPages.cpp).
    void CreateContent();
    HWND Page(HWND parent, RECT at);
    HWND Make(HWND parent, const char* className, const char* text, DWORD style, int id, int x, int y, int w, int h);
    HWND Box(HWND parent, const char* text, int id, int x, int y, int w);
    HWND Button(HWND parent, const char* text, int id, int x, int y, int w, int h = 23);
    HWND Label(HWND parent, const char* text, int x, int y, int w, int h = 16, int id = -1);
    HWND Frame(HWND parent, const char* text, int x, int y, int w, int h);
    void Tip(HWND control, const char* text);
    // Disables every control whose setting an administrator's policy sets, with a tip that says so.
    void LockPolicySettings();
    bool UnderPolicy(std::string AppSettings::*setting) const;
    void CreateStatusPage(HWND page);
    void CreateCleaningPage(HWND page);
    void CreateMorePages(HWND page);
    void CreateSafeListPage(HWND page, int base, const char* frame, const char* cleanLabel, const char* safeLabel,
                            bool refresh);
    void CreatePluginPage(HWND page);
    void CreateSecureDeletionPage(HWND page);
    void CreateGeneralPages(HWND page);
    int Scale(int units) const { return ::MulDiv(units, dpi_, 96); }
    // A page's client size in layout units.
    SIZE Units(HWND page) const;
    void DrawBanner(const DRAWITEMSTRUCT& item) const;

    // The load sequence and closing.
    void FormLoad();
    void LoadEraseSettings();
    void LoadGeneralSettings();
    void SaveAndClose();
    void OnEndSession();

    // Tabs.
    void SelectMainTab(int index);
    void SelectMoreTab(int index);
    void SelectGeneralTab(int index);
    void ShowOnly(const HWND* pages, int count, int index);

    void OnCommand(int id, int code, HWND control);
    void OnNotify(const NMHDR& header);

    // Views of the models.
    void FillSafeLists();
    void FillList(HWND list, const ListModel& model);
    void FillPlugins();
    void FillDirs();
    void UpdateDirButtons();
    void OnSafeListCommand(int base, int offset, int code);

    // Pages' behaviour.
    void OnCleaningBox(int index);
    void SelectAllBoxes(int value);
    void OnDeletionLevel(int index);
    void AddDirectory();
    void OnScheduling();
    void OnPeriod(int index);
    void ValidateMinutes();
    void SetMinutesText(const std::string& text);
    void ArmScheduler();
    void DisarmScheduler();
    void OnSchedulerTick();
    void SaveLog();
    void ClearLog();
    void StartCleaningCommand();
    void ShowRunning(bool running);
    void RefreshPointer();
    void DropDown(int buttonId, HMENU menu);

    // The notification area, the menus' privacy actions and the hotkeys (MainWindowTray.cpp).
    void CreateMenus();
    void StartHotkeys();
    void OnTrayIcon(UINT mouseMessage);
    void ShowTrayMenu();
    void OpenWindow();
    void Panic();
    void Hide();
    void Unhide();
    void HotkeyActions();
    void OnHotkey(Hotkeys::Combination combination);
    void SetDefaultColor();

    static LRESULT CALLBACK MinutesProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

    // Before everything that makes windows: the style stays in effect until they are gone.
    ThemeActivation theme_;
    Session session_;
    MainWindowOptions options_;
    Scheduler scheduler_;
    TrayIcon tray_;
    int dpi_ = 96;
    UniqueIcon bigIcon_, smallIcon_;
    UniqueGdiObject uiFont_, bannerFont_, footerBrush_;
    HWND tooltip_ = nullptr;
    std::set<HWND> policyTips_;
    HWND hoverLabel_ = nullptr;
    WNDPROC minutesDefault_ = nullptr;
    std::array<HWND, 5> mainPages_{};
    std::array<HWND, 4> morePages_{};
    std::array<HWND, 3> generalPages_{};
    UniqueMenu windowMenu_, helpMenu_, trayMenu_;
    Hotkeys hotkeys_{options_.keyState};
    std::string osName_;
    UINT taskbarCreated_ = 0;
    bool filling_ = false;     // the plugin view is being refilled: its tick events are ours
    bool validating_ = false;  // the out-of-range message is up
    bool closePending_ = false;
    UniqueWindow window_; // last: destroyed first
};

// The command line's first character with blanks trimmed, as the program reads it.
std::string StartupArgument(const char* commandLine);

} // namespace sweepora
