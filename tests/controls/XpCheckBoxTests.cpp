#include "controls/Artwork.h"
#include "support/WindowTesting.h"

#include <gtest/gtest.h>

using namespace sweepora;
using namespace sweepora::test;
using Notes = std::vector<std::pair<int, int>>;
using Events = std::vector<std::pair<UINT, int>>;

TEST(XpCheckBox, ArtworkCellsAreAllDifferent)
{
    const CellStrip strip = CheckBoxArtwork();
    DIBSECTION info = {};
    ASSERT_EQ(::GetObjectA(strip.Bitmap(), sizeof info, &info), static_cast<int>(sizeof info));
    const int cells = strip.Cells(), cellBytes = info.dsBm.bmHeight / cells * info.dsBm.bmWidthBytes;
    const auto* bits = static_cast<const BYTE*>(info.dsBm.bmBits);
    for (int a = 0; a < cells; ++a)
        for (int b = a + 1; b < cells; ++b) EXPECT_NE(memcmp(bits + a * cellBytes, bits + b * cellBytes, cellBytes), 0);
}

TEST(XpCheckBox, LooksValuesAndEventsFollowTheMouseTheKeyboardAndTheProgram)
{
    Host host;
    const XpControlParams grayed{2, kButtonFaceColour, RGB(0, 0, 128)};
    HWND box = host.Add("&Clean settings", 1, 5, &grayed);
    RECT r;
    ::GetClientRect(box, &r);
    EXPECT_GE(r.bottom, 13); // 195 twips at least, whatever it was given

    MoveCursorTo(box, 300, 150); // away: the first hover tick says so
    Pump(60);
    EXPECT_EQ(host.notes, (Notes{{1, XPN_MOUSEOUT}}));
    EXPECT_EQ(Cell(box), 8);

    MoveCursorTo(box, 5, 5);
    ::SendMessageA(box, WM_MOUSEMOVE, 0, MAKELPARAM(500, 5)); // outside its client area: nothing
    ::SendMessageA(box, WM_MOUSEMOVE, 0, kInside);
    EXPECT_EQ(Cell(box), 9);
    ::SendMessageA(box, WM_LBUTTONDOWN, MK_LBUTTON, kInside);
    EXPECT_EQ(Cell(box), 10);
    ::SendMessageA(box, WM_LBUTTONUP, 0, kInside);
    EXPECT_EQ(Cell(box), 0); // grayed becomes unchecked
    Click(box);
    EXPECT_EQ(Cell(box), 4);
    ::SendMessageA(box, WM_KEYDOWN, VK_SPACE, 0);
    ::SendMessageA(box, WM_CHAR, ' ', 0);
    ::SendMessageA(box, WM_KEYUP, VK_SPACE, 0);
    EXPECT_EQ(::SendMessageA(box, BM_GETCHECK, 0, 0), 0);
    ::SendMessageA(box, WM_LBUTTONDOWN, MK_LBUTTON, kInside);
    ::SendMessageA(box, WM_LBUTTONUP, 0, MAKELPARAM(500, 5)); // released outside: no click
    host.dropKeys = true;
    ::SendMessageA(box, WM_KEYUP, VK_SPACE, 0); // a key the parent dropped: no click
    EXPECT_EQ(::SendMessageA(box, BM_GETCHECK, 0, 0), 0);
    EXPECT_EQ(host.events.size(), 11u);
    EXPECT_EQ(Events(host.events.begin(), host.events.begin() + 3),
              (Events{{XPN_MOUSEMOVE, 0}, {XPN_MOUSEDOWN, 1}, {XPN_MOUSEUP, 1}}));
    EXPECT_EQ(host.events[6], std::make_pair(XPN_KEYPRESS, static_cast<int>(' ')));

    const Notes clicks = {{1, XPN_MOUSEOUT}, {1, BN_CLICKED}, {1, BN_CLICKED}, {1, BN_CLICKED}};
    EXPECT_EQ(host.notes, clicks);
    ::SendMessageA(box, BM_SETCHECK, 1, 0); // by program: shown at once, no click
    EXPECT_EQ(Cell(box), 4);
    EXPECT_EQ(host.notes, clicks);
    // Disabled shows it; the platform keeps real input from a disabled window.
    ::EnableWindow(box, FALSE);
    EXPECT_EQ(Cell(box), 7);
    ::EnableWindow(box, TRUE);
    EXPECT_EQ(Cell(box), 4);
}
