#include "controls/Artwork.h"
#include "controls/XpCommandButton.h"
#include "support/WindowTesting.h"

#include <gtest/gtest.h>

using namespace sweepora;
using namespace sweepora::test;

TEST(XpCommandButton, FaceFollowsStateMouseAndEnabling)
{
    const CellStrip strip = CommandButtonArtwork();
    BITMAP info = {};
    ::GetObjectA(strip.Bitmap(), sizeof info, &info);
    EXPECT_EQ(std::vector<int>({info.bmWidth, info.bmHeight, info.bmBitsPixel, strip.Cells(), strip.CellWidth()}),
              std::vector<int>({90, 21, 8, 5, 18}));

    Host host;
    RegisterXpCommandButton(::GetModuleHandleA(nullptr));
    const XpControlParams emphasised{1};
    HWND start = host.Add("&Start Cleaning", 1, 25, &emphasised, kXpCommandButtonClass);
    HWND other = host.Add("A&bort", 2, 25, nullptr, kXpCommandButtonClass);
    EXPECT_EQ(Cell(start), 4); // State 1, idle
    EXPECT_EQ(Cell(other), 0);

    MoveCursorTo(start, 5, 5);
    ::SendMessageA(start, WM_MOUSEMOVE, 0, kInside);
    EXPECT_EQ(Cell(start), 3); // under the cursor
    ::SendMessageA(start, WM_LBUTTONDOWN, MK_LBUTTON, kInside);
    EXPECT_EQ(Cell(start), 1);
    ::SendMessageA(start, WM_LBUTTONUP, 0, kInside);
    EXPECT_EQ(Cell(start), 4);
    EXPECT_EQ(::SendMessageA(start, XPM_GETSTATE, 0, 0), 1); // a click leaves the State alone
    MoveCursorTo(start, 300, 150);
    Pump(60);
    EXPECT_EQ(host.notes, (std::vector<std::pair<int, int>>{{1, BN_CLICKED}, {1, XPN_MOUSEOUT}}));

    ::SendMessageA(start, XPM_SETSTATE, 7, 0); // neither 0 nor 1: the look stays
    EXPECT_EQ(Cell(start), 4);
    ::SendMessageA(start, XPM_SETSTATE, 0, 0);
    EXPECT_EQ(Cell(start), 0);
    ::EnableWindow(other, FALSE);
    EXPECT_EQ(Cell(other), 2);

    // The access key, as a dialog loop sees it: Alt+B clicks "A&bort" only when enabled.
    host.notes.clear();
    MSG key = {start, WM_SYSCHAR, 'b', 0, 0, {}};
    ::IsDialogMessageA(host.window, &key);
    EXPECT_TRUE(host.notes.empty());
    ::EnableWindow(other, TRUE);
    ::IsDialogMessageA(host.window, &key);
    key.wParam = 's';
    ::IsDialogMessageA(host.window, &key);
    EXPECT_EQ(host.notes, (std::vector<std::pair<int, int>>{{2, BN_CLICKED}, {1, BN_CLICKED}}));
}

namespace {

INT_PTR CALLBACK IgnoreEverything(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

} // namespace

TEST(XpControls, WorkFromADialogTemplate)
{
    RegisterXpCheckBox(::GetModuleHandleA(nullptr));
    RegisterXpRadioButton(::GetModuleHandleA(nullptr));
    RegisterXpCommandButton(::GetModuleHandleA(nullptr));
    // An in-memory template: a dialog with one control of each class.
    std::vector<WORD> t;
    const auto text = [&t](const char* s) {
        do t.push_back(static_cast<WORD>(static_cast<unsigned char>(*s))); while (*s++ != '\0');
    };
    const auto align = [&t] { if (t.size() % 2 != 0) t.push_back(0); };
    const DWORD style = WS_POPUP | WS_VISIBLE | DS_SETFONT;
    t.insert(t.end(), {LOWORD(style), HIWORD(style), 0, 0, 3, 0, 0, 200, 100, 0, 0});
    text("Template");
    t.push_back(8);
    text("MS Shell Dlg");
    const char* classes[] = {kXpCheckBoxClass, kXpRadioButtonClass, kXpCommandButtonClass};
    for (int i = 0; i < 3; ++i) {
        align();
        const DWORD child = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
        t.insert(t.end(), {LOWORD(child), HIWORD(child), 0, 0, 10, static_cast<WORD>(10 + 25 * i), 120, 14,
                           static_cast<WORD>(100 + i)});
        text(classes[i]);
        text(i == 2 ? "&Go" : "From a template");
        t.push_back(0);
    }
    HWND dialog = ::CreateDialogIndirectParamA(::GetModuleHandleA(nullptr), reinterpret_cast<DLGTEMPLATE*>(t.data()),
                                               nullptr, IgnoreEverything, 0);
    ASSERT_NE(dialog, nullptr);
    for (int id = 100; id < 103; ++id) EXPECT_EQ(Cell(::GetDlgItem(dialog, id)), 0) << id;
    ::DestroyWindow(dialog);
}
