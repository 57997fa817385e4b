#include "controls/XpCommandButton.h"
#include "support/WindowTesting.h"

#include <gtest/gtest.h>

using namespace sweepora;
using namespace sweepora::test;

TEST(XpCommandButton, FaceFollowsStateMouseAndEnabling)
{
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
