#include "controls/Artwork.h"
#include "controls/XpCheckBox.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace sweepora;

namespace {

// A shown window that records what its controls tell it.
class Host {
public:
    Host()
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "SweeporaTests.Host";
        ::RegisterClassA(&wc);
        window = ::CreateWindowExA(0, wc.lpszClassName, "host", WS_POPUP | WS_VISIBLE, 100, 100, 400, 200, nullptr,
                                   nullptr, wc.hInstance, nullptr);
        ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        RegisterXpCheckBox(wc.hInstance);
    }
    ~Host() { ::DestroyWindow(window); }
    HWND Add(const char* caption, int id, int height, const XpControlParams* params = nullptr)
    {
        return ::CreateWindowExA(0, kXpCheckBoxClass, caption, WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, 10 + 30 * (id - 1),
                                 200, height, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 ::GetModuleHandleA(nullptr), const_cast<XpControlParams*>(params));
    }
    static void Pump(DWORD milliseconds)
    {
        const DWORD start = ::GetTickCount();
        do {
            MSG msg;
            while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
            ::Sleep(5);
        } while (::GetTickCount() - start < milliseconds);
    }

    HWND window;
    std::vector<std::pair<int, int>> notes; // control id, notification

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<Host*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
        if (message == WM_COMMAND && self != nullptr) self->notes.emplace_back(LOWORD(wParam), HIWORD(wParam));
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
};

int Cell(HWND control) { return static_cast<int>(::SendMessageA(control, XPM_GETCELL, 0, 0)); }

void MoveCursorTo(HWND control, int x, int y)
{
    POINT at = {x, y};
    ::ClientToScreen(control, &at);
    ::SetCursorPos(at.x, at.y);
}

constexpr LPARAM kInside = MAKELPARAM(5, 5);

} // namespace

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
