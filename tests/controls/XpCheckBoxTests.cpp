#include "controls/Artwork.h"
#include "controls/XpCheckBox.h"
#include "ControlHost.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace sweepora;

using test::Host;
using test::Cell;
using test::MoveCursorTo;
using test::kInside;

TEST(XpCheckBox, ArtworkIsTwelveCellsThatDifferFromEachOther)
{
    const CellStrip strip = CheckBoxArtwork();
    BITMAP info = {};
    ASSERT_EQ(::GetObjectA(strip.Bitmap(), sizeof info, &info), static_cast<int>(sizeof info));
    EXPECT_EQ(info.bmWidth, 13);
    EXPECT_EQ(info.bmHeight, 156);
    EXPECT_EQ(info.bmBitsPixel, 24);
    EXPECT_EQ(strip.Cells(), 12);
    EXPECT_EQ(strip.CellWidth() * 100 + strip.CellHeight(), 1313);

    // Every cell shows something of its own: no two are the same picture.
    const auto* bits = static_cast<const BYTE*>(reinterpret_cast<DIBSECTION*>(&info)->dsBm.bmBits);
    ASSERT_NE(bits, nullptr);
    const int cellBytes = 13 * info.bmWidthBytes;
    for (int a = 0; a < 12; ++a)
        for (int b = a + 1; b < 12; ++b)
            EXPECT_NE(memcmp(bits + a * cellBytes, bits + b * cellBytes, cellBytes), 0) << a << " and " << b;
}

TEST(XpCheckBox, LooksAndValuesFollowTheMouseTheKeyboardAndTheProgram)
{
    Host host;
    const XpControlParams grayed{2, kButtonFaceColour, RGB(0, 0, 128)};
    HWND box = host.Add("&Clean settings", 1, 5, &grayed);
    ASSERT_NE(box, nullptr);
    RECT r;
    ::GetClientRect(box, &r);
    EXPECT_GE(r.bottom, 13); // 195 twips at least, whatever it was given
    EXPECT_EQ(::SendMessageA(box, BM_GETCHECK, 0, 0), 2);

    MoveCursorTo(box, 300, 150); // away: the first hover tick says so
    Host::Pump(60);
    EXPECT_EQ(host.notes, (std::vector<std::pair<int, int>>{{1, XPN_MOUSEOUT}}));
    EXPECT_EQ(Cell(box), 8);

    MoveCursorTo(box, 5, 5);
    ::SendMessageA(box, WM_MOUSEMOVE, 0, kInside);
    EXPECT_EQ(Cell(box), 9);
    ::SendMessageA(box, WM_MOUSEMOVE, 0, MAKELPARAM(500, 5)); // outside its client area: nothing
    EXPECT_EQ(Cell(box), 9);
    ::SendMessageA(box, WM_LBUTTONDOWN, MK_LBUTTON, kInside);
    EXPECT_EQ(Cell(box), 10);
    ::SendMessageA(box, WM_LBUTTONUP, 0, kInside);
    EXPECT_EQ(::SendMessageA(box, BM_GETCHECK, 0, 0), 0); // grayed becomes unchecked
    EXPECT_EQ(Cell(box), 0);
    ::SendMessageA(box, WM_LBUTTONDOWN, MK_LBUTTON, kInside);
    ::SendMessageA(box, WM_LBUTTONUP, 0, kInside);
    EXPECT_EQ(Cell(box), 4);
    ::SendMessageA(box, WM_KEYUP, VK_SPACE, 0);
    EXPECT_EQ(::SendMessageA(box, BM_GETCHECK, 0, 0), 0);
    // Pressed, then released outside: no click.
    ::SendMessageA(box, WM_LBUTTONDOWN, MK_LBUTTON, kInside);
    ::SendMessageA(box, WM_LBUTTONUP, 0, MAKELPARAM(500, 5));
    EXPECT_EQ(::SendMessageA(box, BM_GETCHECK, 0, 0), 0);

    const std::vector<std::pair<int, int>> clicks = {{1, XPN_MOUSEOUT}, {1, BN_CLICKED}, {1, BN_CLICKED}, {1, BN_CLICKED}};
    EXPECT_EQ(host.notes, clicks);
    ::SendMessageA(box, BM_SETCHECK, 1, 0); // by program: shown at once, no click
    EXPECT_EQ(Cell(box), 4);
    EXPECT_EQ(host.notes, clicks);

    MoveCursorTo(box, 300, 150);
    ::SendMessageA(box, WM_MOUSEMOVE, 0, kInside); // the timer runs again ...
    Host::Pump(60);                                  // ... and finds the cursor gone
    EXPECT_EQ(Cell(box), 4);
    EXPECT_EQ(host.notes.back(), std::make_pair(1, static_cast<int>(XPN_MOUSEOUT)));
}

TEST(XpCheckBox, ADisabledBoxShowsItAndTakesNoInput)
{
    Host host;
    HWND box = host.Add("Start with Windows", 1, 20);
    HWND other = host.Add("Other", 2, 20);
    ::EnableWindow(box, FALSE);
    EXPECT_EQ(Cell(box), 3);
    ::SendMessageA(box, BM_SETCHECK, 1, 0);
    EXPECT_EQ(Cell(box), 7);

    // Real input through the system: the click lands on no disabled window.
    MoveCursorTo(box, 5, 5);
    ::SetForegroundWindow(host.window);
    ::SetFocus(other);
    INPUT clicks[2] = {};
    clicks[0].type = clicks[1].type = INPUT_MOUSE;
    clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ::SendInput(2, clicks, sizeof(INPUT));
    Host::Pump(100);
    EXPECT_EQ(::SendMessageA(box, BM_GETCHECK, 0, 0), 1);
    EXPECT_NE(::GetFocus(), box);

    ::EnableWindow(box, TRUE);
    EXPECT_EQ(Cell(box), 4);
    ::SendInput(2, clicks, sizeof(INPUT));
    Host::Pump(100);
    EXPECT_EQ(::SendMessageA(box, BM_GETCHECK, 0, 0), 0) << "a real click reaches an enabled box";
}

TEST(XpCheckBox, MouseAndKeyEventsReachTheParentAndAKeyCanBeDropped)
{
    Host host;
    HWND box = host.Add("Events", 1, 20);
    ::SendMessageA(box, WM_MOUSEMOVE, 0, MAKELPARAM(900, 5)); // outside: nothing
    ::SendMessageA(box, WM_MOUSEMOVE, 0, kInside);
    ::SendMessageA(box, WM_LBUTTONDOWN, MK_LBUTTON, kInside);
    ::SendMessageA(box, WM_LBUTTONUP, 0, kInside);
    ::SendMessageA(box, WM_RBUTTONDOWN, MK_RBUTTON, kInside);
    ::SendMessageA(box, WM_KEYDOWN, VK_SPACE, 0);
    ::SendMessageA(box, WM_CHAR, ' ', 0);
    ::SendMessageA(box, WM_KEYUP, VK_SPACE, 0);
    EXPECT_EQ(host.events, (std::vector<std::pair<UINT, int>>{{XPN_MOUSEMOVE, 0}, {XPN_MOUSEDOWN, 1}, {XPN_MOUSEUP, 1},
                                                             {XPN_MOUSEDOWN, 2}, {XPN_KEYDOWN, VK_SPACE},
                                                             {XPN_KEYPRESS, ' '}, {XPN_KEYUP, VK_SPACE}}));
    EXPECT_EQ(::SendMessageA(box, BM_GETCHECK, 0, 0), 0); // clicked by the mouse, then by the space bar

    host.dropKeys = true;
    ::SendMessageA(box, WM_KEYUP, VK_SPACE, 0);
    EXPECT_EQ(::SendMessageA(box, BM_GETCHECK, 0, 0), 0) << "a dropped key does not click";
}
