// What the option pages do when the user works them: each control changes its
// in-memory setting or its model, and the view is refreshed from the model.
#include "shell/MainWindow.h"

#include "browsers/BrowserSites.h"
#include "engine/DirectoryList.h"
#include "engine/LogReport.h"
#include "engine/SessionPlugins.h"
#include "erasure/FileGuard.h"
#include "platform/Text.h"
#include "platform/WideText.h"
#include "safelists/CookieLoader.h"
#include "settings/NumberRule.h"
#include "shell/OptionBoxes.h"

#include <commdlg.h>

#include <commctrl.h>

namespace sweepora {

namespace {

constexpr UINT_PTR kSchedulerTimer = 2;
constexpr const char* kBrowseTitle = "Select a directory that you want to be stored in list for eradication";

int GetCheck(HWND control) { return static_cast<int>(::SendMessageA(control, BM_GETCHECK, 0, 0)); }

std::string WindowText(HWND window)
{
    char text[64] = {};
    ::GetWindowTextA(window, text, sizeof text);
    return text;
}

} // namespace

void MainWindow::OnCleaningBox(int index)
{
    const int value = GetCheck(Control(ids::kCleanFirst + index));
    session_.settings.*CleaningBoxes()[index].setting = TrimBlanks(BoxValueText(value));
    if (index != kCustomDirsBox) return;
    UpdateDirButtons();
}

// Box 12 decides whether the directory list can be worked at all.
void MainWindow::UpdateDirButtons()
{
    const bool on = GetCheck(Control(ids::kCleanFirst + kCustomDirsBox)) == 1;
    const bool any = !session_.settings.CustomDirList.empty();
    ::EnableWindow(Control(ids::kDirs), on);
    ::EnableWindow(Control(ids::kAddDir), on);
    ::EnableWindow(Control(ids::kCleanDir), on);
    ::EnableWindow(Control(ids::kRemoveDir), on && any);
    ::EnableWindow(Control(ids::kRemoveAllDirs), on && any);
}

void MainWindow::SelectAllBoxes(int value)
{
    for (int i = 0; i < kCleaningBoxCount; ++i) {
        if (UnderPolicy(CleaningBoxes()[i].setting)) continue;
        ::SendMessageA(Control(ids::kCleanFirst + i), BM_SETCHECK, value, 0);
        OnCleaningBox(i);
        YieldToQueue();
    }
    for (int id : {ids::kHistoryCust, ids::kCookiesCust, ids::kUrlCust, ids::kCleanDir})
        ::EnableWindow(Control(id), value == 1);
}

void MainWindow::OnDeletionLevel(int index)
{
    static const std::int16_t levels[] = {0, 7, 20};
    if (index >= 0 && index < 3) session_.settings.NoOverWrites = levels[index];
}

void MainWindow::FillDirs()
{
    HWND list = Control(ids::kDirs);
    ::SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const std::string& dir : session_.settings.CustomDirList)
        ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideFromUtf8(dir).c_str()));
    ::InvalidateRect(list, nullptr, TRUE);
}

void MainWindow::AddDirectory()
{
    const std::string folder = session_.desktop.BrowseForFolder(kBrowseTitle);
    // A run would empty such a folder whole.
    const std::string refusal = folder.empty() ? std::string() : CustomDirRefusal(folder, CurrentProtectedPlaces());
    if (!refusal.empty())
        session_.desktop.MessageBox("\"" + folder + "\" was not added to the list: " + refusal + ".",
                                    "Directory Not Added", MB_OK | MB_ICONEXCLAMATION);
    else if (!folder.empty() && AddDir(session_.settings.CustomDirList, folder))
        FillDirs();
    HWND list = Control(ids::kDirs);
    ::EnableWindow(Control(ids::kRemoveAllDirs), !session_.settings.CustomDirList.empty());
    ::EnableWindow(Control(ids::kRemoveDir), ::SendMessageA(list, LB_GETCURSEL, 0, 0) >= 0);
}

void MainWindow::FillList(HWND list, const ListModel& model)
{
    ::SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    ::SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const std::string& entry : model.Items())
        ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    ::SendMessageA(list, LB_SETCURSEL, model.Selected(), 0);
    ::SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list, nullptr, TRUE);
}

void MainWindow::FillSafeLists()
{
    const std::pair<int, ListPair*> pages[] = {{ids::kCookiePage, &session_.safeLists.cookies},
                                               {ids::kTypedPage, &session_.safeLists.typedUrls},
                                               {ids::kHistoryPage, &session_.safeLists.history}};
    for (const auto& [base, pair] : pages) {
        FillList(Control(base + ids::kCleanList), pair->clean);
        FillList(Control(base + ids::kSafeList), pair->safe);
    }
}

void MainWindow::OnSafeListCommand(int base, int offset, int code)
{
    ListPair& pair = base == ids::kCookiePage  ? session_.safeLists.cookies
                     : base == ids::kTypedPage ? session_.safeLists.typedUrls
                                               : session_.safeLists.history;
    HWND cleanList = Control(base + ids::kCleanList), safeList = Control(base + ids::kSafeList);
    const YieldFn yield = session_.Yielder();
    switch (offset) {
    case ids::kCleanList:
    case ids::kSafeList: {
        ListModel& model = offset == ids::kCleanList ? pair.clean : pair.safe;
        HWND list = offset == ids::kCleanList ? cleanList : safeList;
        if (code == LBN_SELCHANGE) model.Select(static_cast<int>(::SendMessageA(list, LB_GETCURSEL, 0, 0)));
        if (code != LBN_DBLCLK) return;
        model.Select(static_cast<int>(::SendMessageA(list, LB_GETCURSEL, 0, 0)));
        if (offset == ids::kCleanList)
            MoveSelected(pair.clean, pair.safe);
        else
            MoveSelected(pair.safe, pair.clean);
        break;
    }
    case ids::kAdd:
        MoveSelected(pair.clean, pair.safe);
        break;
    case ids::kRemove:
        MoveSelected(pair.safe, pair.clean);
        break;
    case ids::kAddAll:
        MoveAll(pair.clean, pair.safe, yield);
        break;
    case ids::kRemoveAll:
        MoveAll(pair.safe, pair.clean, yield);
        break;
    case ids::kRefresh:
        LoadCookies(session_.safeLists.cookies, session_.ListFolders(), yield,
                    BrowserCookieSites(CurrentBrowserRoots()));
        break;
    default:
        return;
    }
    FillList(cleanList, pair.clean);
    FillList(safeList, pair.safe);
}

void MainWindow::FillPlugins()
{
    HWND list = Control(ids::kPlugins);
    filling_ = true;
    ::SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    int index = 0;
    const auto& definitions = session_.plugins.Definitions();
    for (const PluginLine& line : session_.plugins.Lines()) {
        const CleaningEntry* entry =
            line.definition >= 0 ? &definitions[static_cast<std::size_t>(line.definition)] : nullptr;
        std::wstring columns[] = {
            WideFromUtf8(line.name), WideFromUtf8(line.description),
            WideFromUtf8(entry ? entry->group : kPluginGroup),
            WideFromUtf8(entry ? entry->source : std::string("plugins\\") + TrimBlanks(line.name) + kPluginExtension)};
        LVITEMW item = {};
        item.mask = LVIF_TEXT;
        item.iItem = index;
        item.pszText = columns[0].data();
        ::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        for (int column = 1; column < 4; ++column) {
            LVITEMW sub = {};
            sub.iSubItem = column;
            sub.pszText = columns[column].data();
            ::SendMessageW(list, LVM_SETITEMTEXTW, index, reinterpret_cast<LPARAM>(&sub));
        }
        LVITEMA tick = {};
        tick.stateMask = LVIS_STATEIMAGEMASK;
        tick.state = INDEXTOSTATEIMAGEMASK(line.ticked || IsRequired(session_, line) ? 2 : 1);
        ::SendMessageA(list, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&tick));
        ++index;
    }
    filling_ = false;
}

void MainWindow::OnScheduling()
{
    const bool on = GetCheck(Control(ids::kScheduling)) == 1;
    session_.settings.NoSchedule = on ? "1" : "0";
    for (int i = 0; i < 3; ++i) ::EnableWindow(Control(ids::kPeriodFirst + i), on);
    const bool minutes = on && GetCheck(Control(ids::kPeriodFirst + 2)) == 1;
    ::EnableWindow(Control(ids::kMinutes), minutes);
    ::EnableWindow(Control(ids::kMinutesUpDown), minutes);
    if (on)
        ArmScheduler();
    else
        DisarmScheduler();
    LockPolicySettings();
}

void MainWindow::OnPeriod(int index)
{
    const SchedulePeriod period = static_cast<SchedulePeriod>(index);
    ChooseSchedulePeriod(session_.settings, period, WindowText(Control(ids::kMinutes)));
    const bool minutes = period == SchedulePeriod::Minutes;
    ::EnableWindow(Control(ids::kMinutes), minutes);
    ::EnableWindow(Control(ids::kMinutesUpDown), minutes);
    LockPolicySettings();
}

void MainWindow::SetMinutesText(const std::string& text)
{
    ::SetWindowTextA(Control(ids::kMinutes), text.c_str());
    session_.settings.ScheduleMin = text;
}

void MainWindow::ValidateMinutes()
{
    if (validating_) return;
    HWND box = Control(ids::kMinutes);
    const std::string text = WindowText(box);
    if (!MinutesInRange(text)) {
        validating_ = true;
        session_.desktop.MessageBox("Enter value in range 1 to 30 only", "Value out of range", MB_ICONINFORMATION);
        validating_ = false;
        ::SetFocus(box);
        return;
    }
    ::SendMessageA(Control(ids::kMinutesUpDown), UDM_SETPOS32, 0, TextToInt16(text));
    session_.settings.ScheduleMin = text;
}

LRESULT CALLBACK MainWindow::MinutesProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<MainWindow*>(::GetWindowLongPtrA(edit, GWLP_USERDATA));
    if (message == WM_CHAR) {
        const bool digit = wParam >= '0' && wParam <= '9';
        if (!digit && wParam != VK_BACK && wParam != VK_RETURN) return 0;
        if (wParam == VK_RETURN) return 0; // accepted, but a one-line box has nothing to do with it
    }
    if (message == WM_GETDLGCODE && (wParam == VK_UP || wParam == VK_DOWN))
        return DLGC_WANTARROWS | ::CallWindowProcA(self->minutesDefault_, edit, message, wParam, lParam);
    if (message == WM_KEYDOWN) {
        if (wParam == VK_UP || wParam == VK_DOWN) {
            const std::string next = StepMinutes(WindowText(edit), wParam == VK_UP);
            ::SetWindowTextA(edit, next.c_str());
        }
        const LRESULT done = ::CallWindowProcA(self->minutesDefault_, edit, message, wParam, lParam);
        self->session_.settings.ScheduleMin = WindowText(edit);
        return done;
    }
    return ::CallWindowProcA(self->minutesDefault_, edit, message, wParam, lParam);
}

void MainWindow::ArmScheduler()
{
    scheduler_.Arm();
    ::SetTimer(window_.get(), kSchedulerTimer, options_.schedulerTickMilliseconds, nullptr);
}

void MainWindow::DisarmScheduler()
{
    scheduler_.Disarm();
    ::KillTimer(window_.get(), kSchedulerTimer);
}

void MainWindow::OnSchedulerTick()
{
    YieldToQueue();
    if (!scheduler_.Armed() || session_.run.running) return;
    if (scheduler_.Tick(session_.settings)) StartCleaningCommand();
}

void MainWindow::SaveLog()
{
    const auto& lines = session_.log.Lines();
    if (lines.empty()) return;
    std::string path;
    if (!session_.desktop.ChooseFileToSave("Text Files(*.txt)|*.txt", OFN_HIDEREADONLY, "txt", path)) return;
    if (TrimBlanks(path).empty()) return;
    WriteLogReport(path, lines, CurrentReportHeader(), session_.Yielder());
    session_.desktop.MessageBox("Log Save", "Log Saving Status", MB_ICONINFORMATION | MB_OK);
}

void MainWindow::ClearLog()
{
    if (session_.log.Lines().empty()) return;
    if (session_.desktop.MessageBox("Are you sure to clear Log?", "Clear Log Confirmation", MB_YESNO) == IDYES)
        session_.log.Clear();
}

} // namespace sweepora
