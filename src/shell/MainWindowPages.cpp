// Building the main window: every page with its controls, laid out in 96-dpi units and
// scaled to the screen's resolution.
#include "shell/MainWindow.h"

#include "controls/XpCheckBox.h"
#include "controls/XpCommandButton.h"
#include "controls/XpRadioButton.h"
#include "settings/PolicySettingsStore.h"
#include "shell/OptionBoxes.h"
#include "shell/WindowParts.h"

#include <commctrl.h>

namespace sweepora {

namespace {

constexpr int kClientWidth = 720, kClientHeight = 484;
constexpr int kBannerHeight = 64;
constexpr int kFooterTop = 456;
constexpr const char* kPageClass = "Sweepora.page";

RECT TabDisplayArea(HWND tab)
{
    RECT area;
    ::GetClientRect(tab, &area);
    TabCtrl_AdjustRect(tab, FALSE, &area);
    ::MapWindowPoints(tab, ::GetParent(tab), reinterpret_cast<POINT*>(&area), 2);
    return area;
}

void AddTabs(HWND tab, std::initializer_list<const char*> captions)
{
    int index = 0;
    for (const char* caption : captions) {
        TCITEMA item = {};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(caption);
        ::SendMessageA(tab, TCM_INSERTITEMA, index++, reinterpret_cast<LPARAM>(&item));
    }
}

} // namespace

SIZE MainWindow::Units(HWND page) const
{
    RECT r;
    ::GetClientRect(page, &r);
    return {::MulDiv(r.right, 96, dpi_), ::MulDiv(r.bottom, 96, dpi_)};
}

HWND MainWindow::Make(HWND parent, const char* className, const char* text, DWORD style, int id, int x, int y,
                      int w, int h)
{
    const RECT at = {Scale(x), Scale(y), Scale(x + w), Scale(y + h)};
    HWND child = CreateChild(parent, className, text, style, id, at);
    ::SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(uiFont_.get()), FALSE);
    return child;
}

HWND MainWindow::Box(HWND parent, const char* text, int id, int x, int y, int w)
{
    return Make(parent, kXpCheckBoxClass, text, WS_TABSTOP, id, x, y, w, 17);
}

HWND MainWindow::Button(HWND parent, const char* text, int id, int x, int y, int w, int h)
{
    return Make(parent, kXpCommandButtonClass, text, WS_TABSTOP, id, x, y, w, h);
}

HWND MainWindow::Label(HWND parent, const char* text, int x, int y, int w, int h, int id)
{
    return Make(parent, "STATIC", text, id == -1 ? 0 : SS_NOTIFY, id, x, y, w, h);
}

HWND MainWindow::Frame(HWND parent, const char* text, int x, int y, int w, int h)
{
    return Make(parent, "BUTTON", text, BS_GROUPBOX, -1, x, y, w, h);
}

void MainWindow::Tip(HWND control, const char* text)
{
    TOOLINFOA info = {};
    info.cbSize = sizeof info;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = ::GetParent(control);
    info.uId = reinterpret_cast<UINT_PTR>(control);
    info.lpszText = const_cast<char*>(text);
    ::SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
}

// A disabled control gets no mouse messages, so its tip hangs on the page over its rectangle.
void MainWindow::LockPolicySettings()
{
    std::vector<HWND> locked;
    const auto lockBoxes = [&](int first, const OptionBox* boxes, int count) {
        for (int i = 0; i < count; ++i)
            if (UnderPolicy(boxes[i].setting)) locked.push_back(Control(first + i));
    };
    lockBoxes(ids::kCleanFirst, CleaningBoxes(), kCleaningBoxCount);
    lockBoxes(ids::kStartupFirst, StartupBoxes(), kStartupBoxCount);
    lockBoxes(ids::kHotkeyFirst, HotkeyBoxes(), kHotkeyBoxCount);
    if (UnderPolicy(&AppSettings::NoSchedule)) locked.push_back(Control(ids::kScheduling));
    if (UnderPolicy(&AppSettings::ScheduleHour) || UnderPolicy(&AppSettings::ScheduleDay) ||
        UnderPolicy(&AppSettings::ScheduleMinutes) || UnderPolicy(&AppSettings::ScheduleMin)) {
        for (int i = 0; i < 3; ++i) locked.push_back(Control(ids::kPeriodFirst + i));
        locked.insert(locked.end(), {Control(ids::kMinutes), Control(ids::kMinutesUpDown)});
    }
    static const std::int16_t levels[] = {0, 7, 20};
    const bool levelSet = session_.store.UnderPolicy(kSectionErase, kNoOverWritesKey);
    for (int i = 0; i < 3; ++i)
        if (levelSet || levels[i] < session_.settings.NoOverWritesMinimum) locked.push_back(Control(ids::kLevelFirst + i));
    for (HWND control : locked) {
        ::EnableWindow(control, FALSE);
        if (!policyTips_.insert(control).second) continue;
        RECT r;
        ::GetWindowRect(control, &r);
        ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&r), 2);
        TOOLINFOA info = {};
        info.cbSize = sizeof info;
        info.uFlags = TTF_SUBCLASS;
        info.hwnd = ::GetParent(control);
        info.uId = static_cast<UINT_PTR>(::GetDlgCtrlID(control));
        info.rect = r;
        info.lpszText = const_cast<char*>(kSetByAdministrator);
        ::SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
    }
}

bool MainWindow::UnderPolicy(std::string AppSettings::*setting) const
{
    const SettingKey& key = KeyOf(setting);
    return session_.store.UnderPolicy(key.section, key.name);
}

// A page is a plain child that hands its controls' messages to the main window.
HWND MainWindow::Page(HWND parent, RECT at)
{
    HWND page = ::CreateWindowExA(WS_EX_CONTROLPARENT, kPageClass, "", WS_CHILD | WS_CLIPSIBLINGS, at.left, at.top,
                                  at.right - at.left, at.bottom - at.top, parent, nullptr,
                                  ::GetModuleHandleA(nullptr), nullptr);
    ::SetWindowPos(page, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    return page;
}

LRESULT CALLBACK MainWindow::PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_VSCROLL:
        return ::SendMessageA(::GetAncestor(page, GA_ROOT), message, wParam, lParam);
    default:
        return ::DefWindowProcA(page, message, wParam, lParam);
    }
}

void MainWindow::CreateContent()
{
    HWND w = window_.get();
    RegisterPopupClass(kPageClass, &MainWindow::PageProc);
    tooltip_ = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0, w,
                                 nullptr, ::GetModuleHandleA(nullptr), nullptr);
    ::SendMessageA(tooltip_, TTM_SETMAXTIPWIDTH, 0, Scale(360));

    Make(w, "STATIC", "", SS_OWNERDRAW, ids::kBanner, 0, 0, kClientWidth, kBannerHeight);
    HWND tab = Make(w, WC_TABCONTROLA, "", WS_TABSTOP | WS_CLIPSIBLINGS, ids::kTabMain, 8, kBannerHeight + 8,
                    kClientWidth - 16, 340);
    AddTabs(tab, {"Status", "Cleaning", "More Options", "Secure Deletion", " General Settings"});
    const RECT area = TabDisplayArea(tab);
    for (HWND& page : mainPages_) page = Page(w, area);
    CreateStatusPage(mainPages_[0]);
    CreateCleaningPage(mainPages_[1]);
    CreateMorePages(mainPages_[2]);
    CreateSecureDeletionPage(mainPages_[3]);
    CreateGeneralPages(mainPages_[4]);

    const int row = kBannerHeight + 356;
    Button(w, "Start Cleaning >>", ids::kStartCleaning, 8, row, 140, 27);
    Button(w, "Mode", ids::kMode, 156, row, 80, 27);
    Button(w, "Help", ids::kHelp, 244, row, 80, 27);
    Label(w, "\xA9 The Sweepora developers", 8, kFooterTop + 8, 260, 16, ids::kCopyright);
    Label(w, "Visit our site for support", kClientWidth - 180, kFooterTop + 8, 172, 16, ids::kSupport);
    ::SetWindowTextA(::GetDlgItem(w, ids::kSupport), "Visit our site for support");
}

void MainWindow::CreateStatusPage(HWND page)
{
    const SIZE size = Units(page);
    const int width = size.cx, height = size.cy;
    HWND log = Make(page, WC_LISTVIEWA, "", WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                    ids::kLog, 8, 8, width - 16, height - 48);
    ::SendMessageA(log, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    const char* captions[] = {"Task", "Status"};
    for (int i = 0; i < 2; ++i) {
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<char*>(captions[i]);
        column.cx = 100;
        ::SendMessageA(log, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
    Button(page, "Abort (Esc)", ids::kAbort, 8, height - 32, 100, 24);
    Button(page, "Save Log", ids::kSaveLog, width - 208, height - 32, 96, 24);
    Button(page, "Clear Log", ids::kClearLog, width - 104, height - 32, 96, 24);
}

void MainWindow::CreateCleaningPage(HWND page)
{
    const int width = Units(page).cx;
    constexpr int kRight = 362, kCustomize = 84;
    Label(page, "Browser Cleaning Settings", 12, 6, 260);
    Label(page, "Windows Cleaning Settings", kRight - 4, 6, 260);
    // A box reaches the next column, or its "Customize..." button where it has one.
    for (int i = 0; i < kCleaningBoxCount; ++i) {
        const bool browser = i < 8;
        const bool customized = browser ? i % 2 == 0 && i <= 4 : i == kCustomDirsBox;
        const int x = browser ? 16 : kRight, y = 28 + (i % 8) * 24;
        const int end = browser ? (customized ? 264 : kRight - 8) : width - 8 - (customized ? kCustomize + 4 : 0);
        HWND box = Box(page, CleaningBoxes()[i].caption, ids::kCleanFirst + i, x, y, end - x);
        if (i == kCustomDirsBox) Tip(box, kCustomDirsTip);
    }
    Button(page, "Customize...", ids::kHistoryCust, 268, 25, kCustomize, 22);
    Button(page, "Customize...", ids::kCookiesCust, 268, 25 + 2 * 24, kCustomize, 22);
    Button(page, "Customize...", ids::kUrlCust, 268, 25 + 4 * 24, kCustomize, 22);
    Button(page, "Customize...", ids::kCleanDir, width - 8 - kCustomize, 25 + 4 * 24, kCustomize, 22);
    Button(page, "&Select All", ids::kSelectAll, 16, 230, 90, 24);
    Button(page, "&Deselect All", ids::kDeselectAll, 114, 230, 90, 24);
}

void MainWindow::CreateMorePages(HWND page)
{
    const SIZE size = Units(page);
    HWND tab = Make(page, WC_TABCONTROLA, "", WS_TABSTOP | WS_CLIPSIBLINGS, ids::kTabMore, 4, 4, size.cx - 8,
                    size.cy - 8);
    AddTabs(tab, {"Cookies to Keep", "Typed URLs to Keep", "IE History to Keep", "Plugin's/More Cleansing"});
    const RECT area = TabDisplayArea(tab);
    for (HWND& sub : morePages_) sub = Page(page, area);
    CreateSafeListPage(morePages_[0], ids::kCookiePage, "Cookies Management", "Cookies to be cleaned:",
                       "Cookies to be saved:", true);
    CreateSafeListPage(morePages_[1], ids::kTypedPage, "Typed URLs Management", "Clean List :", "Safe List :", false);
    CreateSafeListPage(morePages_[2], ids::kHistoryPage, "IE History Management", "Clean List :", "Safe List :",
                       false);
    CreatePluginPage(morePages_[3]);
    ShowOnly(morePages_.data(), 4, 0);
}

void MainWindow::CreateSafeListPage(HWND page, int base, const char* frame, const char* cleanLabel,
                                    const char* safeLabel, bool refresh)
{
    const SIZE size = Units(page);
    const int safeWidth = size.cx - 16 - 404;
    Frame(page, frame, 6, 2, size.cx - 12, 248);
    Label(page, cleanLabel, 16, 20, 230);
    Label(page, safeLabel, 404, 20, safeWidth);
    const DWORD listStyle = WS_TABSTOP | WS_BORDER | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
    Make(page, "LISTBOX", "", listStyle, base + ids::kCleanList, 16, 38, 280, 200);
    Button(page, "&Add", base + ids::kAdd, 306, 58, 88);
    Button(page, "Add  &All", base + ids::kAddAll, 306, 88, 88);
    Button(page, "&Remove", base + ids::kRemove, 306, 118, 88);
    Button(page, "Re&move All", base + ids::kRemoveAll, 306, 148, 88);
    if (refresh) Button(page, "Refresh", base + ids::kRefresh, 306, 198, 88);
    Make(page, "LISTBOX", "", listStyle, base + ids::kSafeList, 404, 38, safeWidth, 200);
}

void MainWindow::CreatePluginPage(HWND page)
{
    const int width = Units(page).cx;
    Frame(page, "Application Plugins", 6, 2, width - 12, 248);
    HWND list = Make(page, WC_LISTVIEWA, "", WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                     ids::kPlugins, 16, 22, width - 32, 160);
    ::SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT,
                   LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    const char* captions[] = {"Plugin", "Decription", "Group", "Source"};
    const int widths[] = {180, width - 32 - 180 - 24 - 200, 90, 110};
    for (int i = 0; i < 4; ++i) {
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<char*>(captions[i]);
        column.cx = Scale(widths[i]);
        ::SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
    Button(page, "Import", ids::kImport, 16, 190, 86);
    Button(page, "Download", ids::kDownload, 108, 190, 86);
    Button(page, "&Select All", ids::kSelectAllPlugins, width - 16 - 178, 190, 86);
    Button(page, "&Deselect All", ids::kDeselectAllPlugins, width - 16 - 86, 190, 86);
    Label(page, "Selected plugins tracks will be erased if Enable Plugins is marked.", 16, 224, 560);
}

void MainWindow::CreateSecureDeletionPage(HWND page)
{
    Frame(page, "Secure Deletion Level", 8, 4, 680, 96);
    const char* levels[] = {"Standard Level Security ", "High Level Security ", "Maximum Level Security "};
    for (int i = 0; i < 3; ++i)
        Make(page, kXpRadioButtonClass, levels[i], WS_TABSTOP | (i == 0 ? WS_GROUP : 0), ids::kLevelFirst + i, 20,
             24 + i * 24, 200, 17);
    Label(page, "This security level will be used for secure deletion of cleaned files.", 240, 30, 350, 32);
    Frame(page, "Select Directories to clean securely", 8, 106, 680, 150);
    HWND dirs = CreateWideChild(page, L"LISTBOX",
                                WS_TABSTOP | WS_BORDER | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                                ids::kDirs, {Scale(20), Scale(126), Scale(20 + 530), Scale(126 + 120)});
    ::SendMessageA(dirs, WM_SETFONT, reinterpret_cast<WPARAM>(uiFont_.get()), FALSE);
    Tip(Button(page, "&Add Directory", ids::kAddDir, 562, 126, 112), "Add directory to the list");
    Tip(Button(page, "&Remove ", ids::kRemoveDir, 562, 156, 112), "Remove selected directory from the list");
    Tip(Button(page, "Remove &All", ids::kRemoveAllDirs, 562, 186, 112), "Remove all directories from the list");
}

void MainWindow::CreateGeneralPages(HWND page)
{
    const SIZE size = Units(page);
    HWND tab = Make(page, WC_TABCONTROLA, "", WS_TABSTOP | WS_CLIPSIBLINGS, ids::kTabGeneral, 4, 4, size.cx - 8,
                    size.cy - 8);
    AddTabs(tab, {"Startup", "Scheduling", "Hotkey"});
    const RECT area = TabDisplayArea(tab);
    for (HWND& sub : generalPages_) sub = Page(page, area);

    HWND startup = generalPages_[0];
    Label(startup, "Startup Options", 12, 8, 300);
    for (int i = 0; i < kStartupBoxCount; ++i)
        Tip(Box(startup, StartupBoxes()[i].caption, ids::kStartupFirst + i, 16, 32 + i * 28, 540),
            StartupBoxes()[i].tip);

    HWND scheduling = generalPages_[1];
    Label(scheduling, "Scheduling Options", 12, 8, 300);
    Label(scheduling, "Sweepora will perform cleaning operations automaticaly on scheduled time.", 12, 28, 560);
    Box(scheduling, "Enable Scheduling", ids::kScheduling, 16, 54, 200);
    const char* periods[] = {"Perform Cleaning once per hour", "Perform Cleaning once per day",
                             "Perform Cleaning every                   Mintues"};
    for (int i = 0; i < 3; ++i)
        Make(scheduling, kXpRadioButtonClass, periods[i], WS_TABSTOP | (i == 0 ? WS_GROUP : 0),
             ids::kPeriodFirst + i, 36, 84 + i * 28, 320, 17);
    // The minutes box stands in the blanks of the third caption.
    HWND third = ::GetDlgItem(scheduling, ids::kPeriodFirst + 2);
    HDC dc = ::GetDC(third);
    SelectedObject font(dc, uiFont_.get());
    SIZE lead = {};
    ::GetTextExtentPoint32A(dc, "Perform Cleaning every ", 23, &lead);
    ::ReleaseDC(third, dc);
    const int minutesX = 36 + 20 + ::MulDiv(lead.cx, 96, dpi_) + 4;
    HWND minutes = Make(scheduling, "EDIT", "10", WS_TABSTOP | WS_BORDER | ES_NUMBER | ES_CENTER, ids::kMinutes,
                        minutesX, 81 + 2 * 28, 34, 21);
    ::SendMessageA(minutes, EM_LIMITTEXT, 5, 0);
    minutesDefault_ = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(minutes, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MainWindow::MinutesProc)));
    ::SetWindowLongPtrA(minutes, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    HWND upDown = Make(scheduling, UPDOWN_CLASSA, "", UDS_ARROWKEYS, ids::kMinutesUpDown, minutesX + 34,
                       81 + 2 * 28, 16, 21);
    ::SendMessageA(upDown, UDM_SETRANGE32, kMinMinutes, kMaxMinutes);
    ::SendMessageA(upDown, UDM_SETPOS32, 0, 10);
    ::SetWindowPos(minutes, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ::SetWindowPos(upDown, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);

    HWND hotkey = generalPages_[2];
    Label(hotkey, "Hotkey Actions (CTRL+ALT+H)", 12, 8, 300);
    for (int i = 0; i < kHotkeyBoxCount; ++i)
        Box(hotkey, HotkeyBoxes()[i].caption, ids::kHotkeyFirst + i, 16, 32 + i * 28, 540);
    Label(hotkey, "On pressing HotKey CTRL+ALT+H the Sweepora will perform above selected oprations.", 12,
          32 + 5 * 28 + 8, 570);
    ShowOnly(generalPages_.data(), 3, 0);
}

} // namespace sweepora
