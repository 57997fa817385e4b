#include "shell/FileChoices.h"
#include "shell/MainWindow.h"

#include "browsers/BrowserSites.h"
#include "controls/ControlMessages.h"
#include "controls/XpCheckBox.h"
#include "controls/XpCommandButton.h"
#include "controls/XpRadioButton.h"
#include "engine/CleaningCommands.h"
#include "engine/DirectoryList.h"
#include "engine/Eradication.h"
#include "engine/IEHistoryCleaner.h"
#include "engine/LogReport.h"
#include "engine/SessionPlugins.h"
#include "engine/ShellFolders.h"
#include "engine/SystemInfo.h"
#include "platform/ErrorText.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "platform/WideText.h"
#include "plugins/PluginList.h"
#include "safelists/CookieLoader.h"
#include "safelists/HistoryLoader.h"
#include "safelists/TypedUrlLoader.h"
#include "settings/NumberRule.h"
#include "settings/PolicySettingsStore.h"
#include "settings/SettingsPersistence.h"
#include "shell/AboutWindow.h"
#include "shell/LoadingWindow.h"
#include "shell/OptionBoxes.h"
#include "shell/ProgramIcon.h"
#include "shell/ThemeManifest.h"
#include "shell/WebPages.h"
#include "shell/WindowParts.h"

#include <commctrl.h>

#include <algorithm>
#include <stdexcept>

namespace sweepora {

namespace {

constexpr UINT_PTR kSchedulerTimer = 2;
constexpr int kClientWidth = 720, kClientHeight = 484;
constexpr int kFooterTop = 456;
constexpr COLORREF kFooterColour = RGB(24, 52, 96);
constexpr COLORREF kLinkWhite = 0xFFFFFF;
constexpr COLORREF kLinkBlue = 0xFF0000; // blue, in blue-green-red order

void SetCheck(HWND control, int value) { ::SendMessageA(control, BM_SETCHECK, value, 0); }
int GetCheck(HWND control) { return static_cast<int>(::SendMessageA(control, BM_GETCHECK, 0, 0)); }

std::string WindowText(HWND window)
{
    char text[512] = {};
    ::GetWindowTextA(window, text, sizeof text);
    return text;
}

int SelectedIndex(HWND list) { return static_cast<int>(::SendMessageA(list, LB_GETCURSEL, 0, 0)); }

// The page (main, More Options or General) that a tab control's selection shows.
int CurrentTab(HWND tab) { return static_cast<int>(::SendMessageA(tab, TCM_GETCURSEL, 0, 0)); }

} // namespace

std::string StartupArgument(const char* commandLine)
{
    const std::string trimmed = TrimBlanks(commandLine == nullptr ? std::string() : std::string(commandLine));
    return trimmed.empty() ? std::string() : trimmed.substr(0, 1);
}

MainWindow::MainWindow(SettingsStore& store, Desktop& desktop, std::string exePath, MainWindowOptions options)
    : session_(store, *this, desktop, std::move(exePath)), options_(std::move(options))
{
    session_.log.AddObserver(this);
}

MainWindow::~MainWindow()
{
    session_.log.RemoveObserver(this);
    tray_.Delete();
}

namespace {
struct ControlSearch {
    int id;
    HWND found;
};
BOOL CALLBACK FindControl(HWND child, LPARAM lParam)
{
    auto* search = reinterpret_cast<ControlSearch*>(lParam);
    if (::GetDlgCtrlID(child) != search->id) return TRUE;
    search->found = child;
    return FALSE;
}
} // namespace

HWND MainWindow::Control(int id) const
{
    ControlSearch search{id, nullptr};
    ::EnumChildWindows(window_.get(), &FindControl, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool MainWindow::Create()
{
    // Form_Initialize: the visual style first, so the common controls pick it up.
    const std::string manifest = ThemeManifestPath(session_.exePath, session_.dataFolder);
    DWORD themeError = 0;
    if (WriteThemeManifest(session_.desktop, manifest) && session_.dataFolder != session_.programFolder)
        themeError = theme_.Activate(manifest);
    INITCOMMONCONTROLSEX common = {sizeof common, ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES | ICC_UPDOWN_CLASS |
                                                      ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&common);
    const HINSTANCE instance = ::GetModuleHandleA(nullptr);
    RegisterXpCheckBox(instance);
    RegisterXpRadioButton(instance);
    RegisterXpCommandButton(instance);

    bigIcon_ = ProgramIcon(::GetSystemMetrics(SM_CXICON));
    smallIcon_ = ProgramIcon(::GetSystemMetrics(SM_CXSMICON));
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    if (!::GetClassInfoExA(instance, kMainWindowClass, &wc)) {
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &MainWindow::WindowProc;
        wc.hInstance = instance;
        wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kMainWindowClass;
        ::RegisterClassExA(&wc);
    }
    {
        ScreenDc screen;
        const int screenDpi = ::GetDeviceCaps(screen.get(), LOGPIXELSX);
        dpi_ = options_.dpi > 0 ? options_.dpi : screenDpi;
        // The system's dialog font, grown or shrunk with the layout when it is not the screen's.
        LOGFONTA font = {};
        ::GetObjectA(::GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
        font.lfHeight = ::MulDiv(font.lfHeight, dpi_, screenDpi);
        font.lfWidth = 0;
        uiFont_.reset(::CreateFontIndirectA(&font));
    }
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    RECT frame = {0, 0, Scale(kClientWidth), Scale(kClientHeight)};
    ::AdjustWindowRectEx(&frame, style, FALSE, WS_EX_CONTROLPARENT);
    HWND window = ::CreateWindowExA(WS_EX_CONTROLPARENT, kMainWindowClass, "", style, CW_USEDEFAULT, CW_USEDEFAULT,
                                    frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance,
                                    this);
    if (window == nullptr) return false; // WM_NCCREATE has given window_ its handle
    ::SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));
    ::SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
    bannerFont_.reset(::CreateFontA(-Scale(28), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET,
                                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                                    DEFAULT_PITCH | FF_SWISS, "Arial"));
    footerBrush_.reset(::CreateSolidBrush(kFooterColour));
    CreateContent();
    if (themeError) session_.log.AddLogEntry("Windows XP theme", "Not enabled: " + ErrorText(themeError));
    CreateMenus();
    osName_ = GetOSName();
    FormLoad();
    StartHotkeys();
    return true;
}

// The load sequence. A failing step ends it where it is; the log says why.
void MainWindow::FormLoad()
{
    HWND w = window_.get();
    try {
        {
            LoadingWindow loading(::GetModuleHandleA(nullptr));
            RECT r;
            ::GetWindowRect(w, &r);
            const int width = r.right - r.left, height = r.bottom - r.top;
            ::SetWindowPos(w, nullptr, (::GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                           (::GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
            SelectMainTab(1);
            if (LoadSettings(session_.store, session_.settings))
                ArmScheduler();
            else
                DisarmScheduler();
            LoadEraseSettings();
            LoadGeneralSettings();
        }
        HWND log = Control(ids::kLog);
        ::SendMessageA(log, LVM_SETCOLUMNWIDTH, 0, ::MulDiv(4500, dpi_, 1440));
        ::SendMessageA(log, LVM_SETCOLUMNWIDTH, 1, ::MulDiv(4000, dpi_, 1440));
        HWND header = reinterpret_cast<HWND>(::SendMessageA(log, LVM_GETHEADER, 0, 0));
        if (header != nullptr)
            ::SetWindowLongA(header, GWL_STYLE, ::GetWindowLongA(header, GWL_STYLE) ^ HDS_BUTTONS);

        session_.pluginVariables = CurrentPluginVariables();

        tray_.Prepare(w, smallIcon_.get(), kAppTitle);
        if (TrimBlanks(session_.settings.LoadMin) == "1" || options_.startupArg == "m") {
            tray_.Add();
            ::ShowWindow(w, SW_SHOWMINNOACTIVE);
            ::ShowWindow(w, SW_HIDE);
        } else {
            ::ShowWindow(w, SW_SHOWNORMAL);
            tray_.Add();
        }
        if (TrimBlanks(session_.settings.Stealth) == "1") {
            session_.desktop.ShowInTaskList(osName_, false);
            tray_.Delete();
        }
        if (TrimBlanks(session_.settings.Startup) == "1") RunCleaning(session_);
        ::SetWindowTextA(w, kAppTitle);
        HWND abort = Control(ids::kAbort);
        ::EnableWindow(abort, FALSE);
        ::ShowWindow(abort, SW_HIDE);
    } catch (const std::exception& e) {
        session_.log.AddLogEntry("Start-up stopped", e.what());
    }
}

void MainWindow::LoadEraseSettings()
{
    const std::string pluginFolder = SessionPluginFolder(session_);
    for (const std::string& name : PreparePluginFolder(session_))
        session_.log.AddLogEntry("Plugins : " + name, "Not copied to " + pluginFolder);
    const AppSettings& s = session_.settings;
    for (int i = 0; i < kCleaningBoxCount; ++i)
        SetCheck(Control(ids::kCleanFirst + i), TextToInt16(s.*CleaningBoxes()[i].setting) == 1 ? 1 : 0);
    FillDirs();
    UpdateDirButtons();
    const int level = s.Passes() == 7 ? 1 : s.Passes() == 20 ? 2 : 0;
    for (int i = 0; i < 3; ++i) SetCheck(Control(ids::kLevelFirst + i), i == level ? 1 : 0);
    LockPolicySettings();
    LoadPlugins(session_.plugins, pluginFolder);
    for (const auto& [file, why] : LoadSessionDefinitions(session_).failures)
        session_.log.AddLogEntry("Definitions : " + file, "Not read: " + why);
    FillPlugins();
    const YieldFn yield = session_.Yielder();
    const BrowserRoots roots = CurrentBrowserRoots();
    // Said once, at start: why a browser's sites are missing from the lists (it runs).
    std::vector<std::string> unread;
    LoadCookies(session_.safeLists.cookies, session_.ListFolders(), yield, BrowserCookieSites(roots, &unread));
    const std::string failure = LoadHistory(session_.safeLists.history, session_.ListFolders(), yield, {},
                                            BrowserHistoryAddresses(roots, &unread));
    if (!failure.empty()) session_.log.AddLogEntry(kIEHistoryTask, failure);
    LoadTypedUrls(session_.safeLists.typedUrls, session_.ListFolders(), yield, BrowserTypedAddresses(roots, &unread));
    std::sort(unread.begin(), unread.end());
    unread.erase(std::unique(unread.begin(), unread.end()), unread.end());
    for (const std::string& line : unread) session_.log.AddLogEntry("Safe lists", "Not read: " + line);
    const SafeListPages& lists = session_.safeLists;
    for (const ListPair* page : {&lists.cookies, &lists.typedUrls, &lists.history})
        if (!page->unreadable.empty()) session_.log.AddLogEntry(kSafeListsTask, "Not read: " + page->unreadable);
    FillSafeLists();
}

void MainWindow::LoadGeneralSettings()
{
    AppSettings& s = session_.settings;
    for (int i = 0; i < kStartupBoxCount; ++i)
        SetCheck(Control(ids::kStartupFirst + i), TextToInt16(s.*StartupBoxes()[i].setting) == 1 ? 1 : 0);
    for (int i = 0; i < kHotkeyBoxCount; ++i)
        SetCheck(Control(ids::kHotkeyFirst + i), TextToInt16(s.*HotkeyBoxes()[i].setting) == 1 ? 1 : 0);
    SetCheck(Control(ids::kScheduling), TextToInt16(s.NoSchedule) == 1 ? 1 : 0);
    OnScheduling();
    const SchedulePeriod period = ChosenSchedulePeriod(s);
    for (int i = 0; i < 3; ++i) SetCheck(Control(ids::kPeriodFirst + i), static_cast<int>(period) == i ? 1 : 0);
    if (period == SchedulePeriod::Minutes)
        ::SetWindowTextA(Control(ids::kMinutes), std::to_string(TextToInt16(s.ScheduleMin)).c_str());
    const int minutes = TextToInt16(WindowText(Control(ids::kMinutes)));
    ::SendMessageA(Control(ids::kMinutesUpDown), UDM_SETPOS32, 0, minutes == 0 ? 10 : minutes);
    OnScheduling(); // the enabling rules, now that the period buttons show the settings
    if (s.ScheduleArmed() && !scheduler_.Armed()) ArmScheduler();
    LockPolicySettings();
}

LRESULT CALLBACK MainWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->window_.reset(window);
    }
    auto* self = reinterpret_cast<MainWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self == nullptr) return ::DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        self->window_.release();
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
    return self->Handle(message, wParam, lParam);
}

LRESULT MainWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND w = window_.get();
    switch (message) {
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_NOTIFY:
        OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
        return 0;
    case WM_VSCROLL:
        if (reinterpret_cast<HWND>(lParam) == Control(ids::kMinutesUpDown)) {
            const int value = static_cast<int>(::SendMessageA(reinterpret_cast<HWND>(lParam), UDM_GETPOS32, 0, 0));
            SetMinutesText(std::to_string(value));
        }
        return 0;
    case WM_TIMER:
        if (wParam == kSchedulerTimer)
            OnSchedulerTick();
        else
            OnHotkey(hotkeys_.OnTimer(wParam));
        return 0;
    case WM_HOTKEY:
        OnHotkey(hotkeys_.OnHotKey(wParam));
        return 0;
    case WM_DRAWITEM: {
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item.CtlID == static_cast<UINT>(ids::kBanner)) DrawBanner(item);
        return TRUE;
    }
    case WM_ERASEBKGND: {
        RECT r;
        ::GetClientRect(w, &r);
        const HDC dc = reinterpret_cast<HDC>(wParam);
        RECT footer = r;
        footer.top = Scale(kFooterTop);
        r.bottom = footer.top;
        ::FillRect(dc, &r, ::GetSysColorBrush(COLOR_BTNFACE));
        ::FillRect(dc, &footer, static_cast<HBRUSH>(footerBrush_.get()));
        return 1;
    }
    case WM_CTLCOLORSTATIC: {
        HWND control = reinterpret_cast<HWND>(lParam);
        const int id = ::GetDlgCtrlID(control);
        if (id == ids::kSupport || id == ids::kCopyright) {
            const HDC dc = reinterpret_cast<HDC>(wParam);
            ::SetTextColor(dc, control == hoverLabel_ ? kLinkBlue : kLinkWhite);
            ::SetBkColor(dc, kFooterColour);
            return reinterpret_cast<LRESULT>(footerBrush_.get());
        }
        return ::DefWindowProcA(w, message, wParam, lParam);
    }
    case WM_SETCURSOR: {
        // A run holds the window until it ends: the hourglass over all of it says so.
        if (session_.run.running) {
            ::SetCursor(::LoadCursor(nullptr, IDC_WAIT));
            return TRUE;
        }
        HWND over = reinterpret_cast<HWND>(wParam);
        const int id = ::GetDlgCtrlID(over);
        const bool link = over != w && (id == ids::kSupport || id == ids::kCopyright);
        if (link && over != hoverLabel_) {
            SetDefaultColor();
            hoverLabel_ = over;
            ::InvalidateRect(over, nullptr, TRUE);
        } else if (!link && hoverLabel_ != nullptr) {
            SetDefaultColor();
        }
        if (link) {
            ::SetCursor(::LoadCursor(nullptr, IDC_HAND));
            return TRUE;
        }
        return ::DefWindowProcA(w, message, wParam, lParam);
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        // Dragging the background (or the banner, which lets the mouse through) moves the window.
        ::ReleaseCapture();
        ::SendMessageA(w, WM_SYSCOMMAND, 0xF012, 0);
        return 0;
    case WM_SIZE:
        if (wParam == SIZE_MINIMIZED) ::ShowWindow(w, SW_HIDE);
        return 0;
    case WM_TRAYICON:
        OnTrayIcon(static_cast<UINT>(lParam));
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        if (wParam) OnEndSession();
        return 0;
    case WM_CLOSE:
        SaveAndClose();
        return 0;
    case WM_DESTROY:
        ::KillTimer(w, kSchedulerTimer);
        hotkeys_.Stop();
        tray_.Delete();
        ::PostQuitMessage(0);
        return 0;
    default:
        // Explorer restarted: its new notification area has none of the old icons.
        if (message == taskbarCreated_ && taskbarCreated_ != 0) {
            tray_.Restore();
            return 0;
        }
        return ::DefWindowProcA(w, message, wParam, lParam);
    }
}

void MainWindow::OnEndSession()
{
    // The session ends whatever we do: clean first when asked to, then save.
    if (session_.run.running) session_.run.abort = true;
    if (session_.settings.SchedulingShutdown == "1" && !session_.run.running) RunCleaning(session_);
    SaveAllSettings(session_);
    tray_.Delete();
}

void MainWindow::SaveAndClose()
{
    if (session_.run.running) {
        // The run is on this thread's stack: stop it first, close when it has ended.
        session_.run.abort = true;
        closePending_ = true;
        return;
    }
    SaveAllSettings(session_);
    tray_.Delete();
    window_.reset();
}

bool MainWindow::Dispatch(MSG& msg)
{
    if (msg.message == WM_QUIT) return false;
    HWND w = window_.get();
    if (w != nullptr && msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE && session_.run.running &&
        (msg.hwnd == w || ::IsChild(w, msg.hwnd))) {
        AbortCleaning(session_);
        return true;
    }
    if (w == nullptr || !::IsDialogMessageA(w, &msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return true;
}

int MainWindow::RunMessageLoop()
{
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) Dispatch(msg);
    return 0;
}

void MainWindow::YieldToQueue()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Leave it for the outer loop.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        Dispatch(msg);
    }
}

void MainWindow::SelectStatusTab() { SelectMainTab(0); }

// The pointer takes the shape it would take if it moved now, where it is over this window.
void MainWindow::RefreshPointer()
{
    POINT at;
    if (!::GetCursorPos(&at)) return;
    HWND under = ::WindowFromPoint(at);
    if (under == nullptr || ::GetAncestor(under, GA_ROOT) != window_.get()) return;
    ::SendMessageA(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
}

// The running look: Abort instead of the log buttons, and the pages whose lists the run
// reads while it yields closed to edits.
void MainWindow::ShowRunning(bool running)
{
    HWND abort = Control(ids::kAbort);
    ::EnableWindow(abort, running);
    ::ShowWindow(abort, running ? SW_SHOW : SW_HIDE);
    ::ShowWindow(Control(ids::kSaveLog), running ? SW_HIDE : SW_SHOW);
    ::ShowWindow(Control(ids::kClearLog), running ? SW_HIDE : SW_SHOW);
    ::EnableWindow(Control(ids::kStartCleaning), !running);
    ::EnableWindow(mainPages_[2], !running);
    ::EnableWindow(mainPages_[3], !running);
}

void MainWindow::RunStarted()
{
    DisarmScheduler();
    ShowRunning(true);
    RefreshPointer();
}

void MainWindow::RunFinished(bool rearmScheduler)
{
    ShowRunning(false);
    RefreshPointer();
    FillSafeLists();
    if (rearmScheduler) ArmScheduler();
    if (closePending_) ::PostMessageA(window_.get(), WM_CLOSE, 0, 0);
}

void MainWindow::LineAdded(const LogLine& line)
{
    HWND log = Control(ids::kLog);
    if (log == nullptr) return;
    // The log's text is UTF-8: names in any script reach the list whole.
    std::wstring task = WideFromUtf8(line.task), status = WideFromUtf8(line.status);
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(::SendMessageA(log, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = task.data();
    const int index = static_cast<int>(::SendMessageW(log, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    if (index < 0) return;
    LVITEMW sub = {};
    sub.iSubItem = 1;
    sub.pszText = status.data();
    ::SendMessageW(log, LVM_SETITEMTEXTW, index, reinterpret_cast<LPARAM>(&sub));
    ::SendMessageA(log, LVM_ENSUREVISIBLE, index, FALSE);
}

void MainWindow::Cleared()
{
    HWND log = Control(ids::kLog);
    ::SendMessageA(log, LVM_DELETEALLITEMS, 0, 0);
    ::InvalidateRect(log, nullptr, TRUE);
}

void MainWindow::ShowOnly(const HWND* pages, int count, int index)
{
    for (int i = 0; i < count; ++i) ::ShowWindow(pages[i], i == index ? SW_SHOW : SW_HIDE);
}

void MainWindow::SelectMainTab(int index)
{
    ::SendMessageA(Control(ids::kTabMain), TCM_SETCURSEL, index, 0);
    ShowOnly(mainPages_.data(), static_cast<int>(mainPages_.size()), index);
    if (index == 2) {
        SelectMoreTab(0);
        YieldToQueue();
        // During a run the lists are the run's; they are refilled when it ends.
        if (session_.run.running) return;
        const YieldFn yield = session_.Yielder();
        const BrowserRoots roots = CurrentBrowserRoots();
        LoadCookies(session_.safeLists.cookies, session_.ListFolders(), yield, BrowserCookieSites(roots));
        LoadTypedUrls(session_.safeLists.typedUrls, session_.ListFolders(), yield, BrowserTypedAddresses(roots));
        const std::string failure =
            LoadHistory(session_.safeLists.history, session_.ListFolders(), yield, {}, BrowserHistoryAddresses(roots));
        if (!failure.empty()) session_.log.AddLogEntry(kIEHistoryTask, failure);
        LoadPlugins(session_.plugins, SessionPluginFolder(session_));
        FillSafeLists();
        FillPlugins();
    } else if (index == 4) {
        SelectGeneralTab(0);
    }
}

void MainWindow::SelectMoreTab(int index)
{
    HWND tab = Control(ids::kTabMore);
    if (CurrentTab(tab) != index && !session_.run.running) SaveSessionSafeLists(session_);
    ::SendMessageA(tab, TCM_SETCURSEL, index, 0);
    ShowOnly(morePages_.data(), static_cast<int>(morePages_.size()), index);
}

void MainWindow::SelectGeneralTab(int index)
{
    ::SendMessageA(Control(ids::kTabGeneral), TCM_SETCURSEL, index, 0);
    ShowOnly(generalPages_.data(), static_cast<int>(generalPages_.size()), index);
}

void MainWindow::OnNotify(const NMHDR& header)
{
    const int id = static_cast<int>(header.idFrom);
    if (header.code == TCN_SELCHANGING && id == ids::kTabMore) {
        // Leaving a sub-page writes the three safe lists, whichever page it was.
        if (!session_.run.running) SaveSessionSafeLists(session_);
        return;
    }
    if (header.code == TCN_SELCHANGE) {
        const int index = CurrentTab(header.hwndFrom);
        if (id == ids::kTabMain) SelectMainTab(index);
        if (id == ids::kTabMore) ShowOnly(morePages_.data(), static_cast<int>(morePages_.size()), index);
        if (id == ids::kTabGeneral) SelectGeneralTab(index);
        return;
    }
    if (header.code == LVN_ITEMCHANGED && id == ids::kPlugins && !filling_) {
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        if (!(change.uChanged & LVIF_STATE) || !((change.uNewState ^ change.uOldState) & LVIS_STATEIMAGEMASK)) return;
        auto& lines = session_.plugins.Lines();
        if (change.iItem < 0 || static_cast<std::size_t>(change.iItem) >= lines.size()) return;
        PluginLine& line = lines[change.iItem];
        const bool ticked = ((change.uNewState & LVIS_STATEIMAGEMASK) >> 12) == 2;
        const auto show = [&](bool on) {
            LVITEMA tick = {};
            tick.stateMask = LVIS_STATEIMAGEMASK;
            tick.state = INDEXTOSTATEIMAGEMASK(on ? 2 : 1);
            filling_ = true;
            ::SendMessageA(header.hwndFrom, LVM_SETITEMSTATE, change.iItem, reinterpret_cast<LPARAM>(&tick));
            filling_ = false;
        };
        // What a policy requires runs anyway; its box stays ticked and the user's own tick stays as it was.
        if (IsRequired(session_, line)) return show(true);
        line.ticked = ticked;
        if (!line.ticked || line.definition < 0) return;
        // A definition that warns is ticked only once the user has read the warning.
        const CleaningEntry& entry = session_.plugins.Definitions()[static_cast<std::size_t>(line.definition)];
        if (entry.warning.empty() ||
            session_.desktop.MessageBox(entry.warning, entry.name, MB_OKCANCEL | MB_ICONWARNING) == IDOK)
            return;
        line.ticked = false;
        show(false);
    }
}

void MainWindow::OnCommand(int id, int code, HWND control)
{
    // The pointer leaving a control is no click on it.
    if (code == XPN_MOUSEOUT) return;
    if (id >= ids::kCleanFirst && id < ids::kCleanFirst + kCleaningBoxCount) return OnCleaningBox(id - ids::kCleanFirst);
    if (id >= ids::kStartupFirst && id < ids::kStartupFirst + kStartupBoxCount) {
        session_.settings.*StartupBoxes()[id - ids::kStartupFirst].setting = BoxValueText(GetCheck(control));
        return;
    }
    if (id >= ids::kHotkeyFirst && id < ids::kHotkeyFirst + kHotkeyBoxCount) {
        session_.settings.*HotkeyBoxes()[id - ids::kHotkeyFirst].setting = BoxValueText(GetCheck(control));
        return;
    }
    if (id >= ids::kLevelFirst && id < ids::kLevelFirst + 3) return OnDeletionLevel(id - ids::kLevelFirst);
    if (id >= ids::kPeriodFirst && id < ids::kPeriodFirst + 3) return OnPeriod(id - ids::kPeriodFirst);
    for (int base : {ids::kCookiePage, ids::kTypedPage, ids::kHistoryPage})
        if (id >= base && id <= base + ids::kRefresh) return OnSafeListCommand(base, id - base, code);

    switch (id) {
    case IDCANCEL:
        if (session_.run.running) AbortCleaning(session_);
        break;
    case ids::kStartCleaning:
        StartCleaningCommand();
        break;
    case ids::kAbort:
        AbortCleaning(session_);
        break;
    case ids::kSaveLog:
        SaveLog();
        break;
    case ids::kClearLog:
        ClearLog();
        break;
    case ids::kSelectAll:
        SelectAllBoxes(1);
        break;
    case ids::kDeselectAll:
        SelectAllBoxes(0);
        break;
    case ids::kHistoryCust:
    case ids::kCookiesCust:
    case ids::kUrlCust:
        SelectMainTab(2);
        SelectMoreTab(id == ids::kHistoryCust ? 2 : id == ids::kCookiesCust ? 0 : 1);
        break;
    case ids::kCleanDir:
        SelectMainTab(3);
        break;
    case ids::kImport:
        ImportPlugin(session_);
        FillPlugins();
        break;
    case ids::kDownload:
        session_.desktop.ShellExecuteFile("open", kProductPage, "1", "1", SW_SHOWMAXIMIZED);
        break;
    case ids::kSelectAllPlugins:
    case ids::kDeselectAllPlugins:
        if (id == ids::kSelectAllPlugins)
            session_.plugins.SelectAll();
        else
            session_.plugins.DeselectAll();
        FillPlugins();
        break;
    case ids::kDirs:
        if (code == LBN_SELCHANGE) ::EnableWindow(Control(ids::kRemoveDir), SelectedIndex(control) >= 0);
        break;
    case ids::kAddDir:
        AddDirectory();
        break;
    case ids::kRemoveDir: {
        const int index = SelectedIndex(Control(ids::kDirs));
        if (index >= 0) {
            RemoveDir(session_.settings.CustomDirList, static_cast<std::size_t>(index));
            FillDirs();
        }
        break;
    }
    case ids::kRemoveAllDirs:
        if (session_.desktop.MessageBox("Are you sure to remove all directories?", "Removal Confimation",
                                        MB_YESNO | MB_ICONQUESTION) == IDYES) {
            RemoveAllDirs(session_.settings.CustomDirList);
            FillDirs();
        }
        break;
    case ids::kScheduling:
        OnScheduling();
        break;
    case ids::kMinutes:
        if (code == EN_KILLFOCUS) ValidateMinutes();
        break;
    case ids::kMode:
        DropDown(ids::kMode, windowMenu_.get());
        break;
    case ids::kHelp:
        DropDown(ids::kHelp, helpMenu_.get());
        break;
    case ids::kMenuOpen:
        OpenWindow();
        break;
    case ids::kMenuPerformCleaning:
        StartCleaningCommand();
        break;
    case ids::kMenuEradicateFile:
        EradicateChosenFile(session_);
        break;
    case ids::kMenuPanic:
        Panic();
        break;
    case ids::kMenuHide:
        Hide();
        break;
    case ids::kMenuMinimizeAll:
        session_.desktop.MinimizeAllWindows(0);
        break;
    case ids::kMenuLogoff:
        session_.desktop.ExitWindowsSession(EWX_LOGOFF);
        break;
    case ids::kMenuShutDown:
        session_.desktop.ExitWindowsSession(EWX_SHUTDOWN);
        break;
    case ids::kMenuAbout: {
        AboutWindow about(session_.desktop);
        about.ShowModal(window_.get());
        break;
    }
    case ids::kMenuHelp:
        session_.desktop.ShellExecuteFile("open", AddBackslash(session_.programFolder) + "help\\Help.htm", "", "",
                                          SW_SHOWMAXIMIZED);
        break;
    case ids::kMenuExit:
        ::PostMessageA(window_.get(), WM_CLOSE, 0, 0);
        break;
    case ids::kSupport:
    case ids::kCopyright:
        if (code == STN_CLICKED)
            session_.desktop.ShellExecuteFile("open", id == ids::kSupport ? kProductPage : kHomePage, "", "",
                                              SW_SHOWMAXIMIZED);
        break;
    default:
        break;
    }
}

void MainWindow::StartCleaningCommand()
{
    StartCleaning(session_);
}

void MainWindow::DropDown(int buttonId, HMENU menu)
{
    HWND button = Control(buttonId);
    RECT r;
    ::GetWindowRect(button, &r);
    // The button's right edge, halfway down.
    const int x = r.right, y = r.top + (r.bottom - r.top) / 2;
    ::SetForegroundWindow(window_.get());
    ::TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN, x, y, 0, window_.get(), nullptr);
    ::PostMessageA(window_.get(), WM_NULL, 0, 0);
}

void MainWindow::SetDefaultColor()
{
    HWND was = hoverLabel_;
    hoverLabel_ = nullptr;
    if (was != nullptr) ::InvalidateRect(was, nullptr, TRUE);
}

void MainWindow::DrawBanner(const DRAWITEMSTRUCT& item) const
{
    const RECT r = item.rcItem;
    const int width = r.right - r.left;
    // A left-to-right blue gradient in bands.
    for (int x = 0; x < width; x += 4) {
        const int t = ::MulDiv(x, 255, width > 0 ? width : 1);
        UniqueGdiObject band(::CreateSolidBrush(RGB(16 + t / 6, 48 + t / 4, 110 + t / 3)));
        RECT strip = {r.left + x, r.top, r.left + x + 4, r.bottom};
        ::FillRect(item.hDC, &strip, static_cast<HBRUSH>(band.get()));
    }
    const int iconSize = Scale(40);
    UniqueIcon icon = ProgramIcon(iconSize);
    const int iconTop = r.top + (r.bottom - r.top - iconSize) / 2;
    ::DrawIconEx(item.hDC, r.left + Scale(14), iconTop, icon.get(), iconSize, iconSize, 0, nullptr, DI_NORMAL);
    ::SetBkMode(item.hDC, TRANSPARENT);
    ::SetTextColor(item.hDC, RGB(255, 255, 255));
    {
        SelectedObject font(item.hDC, bannerFont_.get());
        RECT title = {r.left + Scale(64), r.top + Scale(6), r.right, r.top + Scale(40)};
        ::DrawTextA(item.hDC, kAppTitle, -1, &title, DT_LEFT | DT_SINGLELINE | DT_VCENTER);
    }
    SelectedObject font(item.hDC, uiFont_.get());
    RECT tagline = {r.left + Scale(66), r.top + Scale(40), r.right, r.bottom - Scale(4)};
    ::DrawTextA(item.hDC, "Erases the traces your browsers and Windows leave behind", -1, &tagline,
                DT_LEFT | DT_SINGLELINE);
}

} // namespace sweepora
