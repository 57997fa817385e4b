#pragma once
// What the program's own controls understand beyond the standard button messages
// (BM_GETCHECK, BM_SETCHECK, WM_SETFONT, WM_ENABLE) and what they tell their parent
// (WM_COMMAND with BN_CLICKED for a click).
#include <windows.h>

#include <memory>

namespace sweepora {

// The strip cell the control shows now; for tests and for the demonstration window.
constexpr UINT XPM_GETCELL = WM_USER + 0x100;
// Colours: wParam the colour (a COLORREF, or 0x80000000 | COLOR_* for a system colour).
constexpr UINT XPM_SETBACKCOLOR = WM_USER + 0x101;
constexpr UINT XPM_SETFORECOLOR = WM_USER + 0x102;
// The command button's State: 1 shows the emphasised face while idle.
constexpr UINT XPM_SETSTATE = WM_USER + 0x103;
constexpr UINT XPM_GETSTATE = WM_USER + 0x104;
// Sent with WM_COMMAND when the hover timer finds the cursor gone.
constexpr WORD XPN_MOUSEOUT = 0x7F01;

// The other events reach the parent as WM_NOTIFY with these codes. Button is 1 left,
// 2 right, 4 middle; shift is 1 Shift, 2 Ctrl, 4 Alt. A parent may change `key` in a
// key notification: 0 drops the key, so the control does not act on it.
constexpr UINT XPN_MOUSEMOVE = 0x7F10, XPN_MOUSEDOWN = 0x7F11, XPN_MOUSEUP = 0x7F12, XPN_KEYDOWN = 0x7F13,
               XPN_KEYUP = 0x7F14, XPN_KEYPRESS = 0x7F15;
struct XpMouseNotify {
    NMHDR header;
    int button, shift, x, y;
};
struct XpKeyNotify {
    NMHDR header;
    WORD key, shift;
};
// Tells the parent of a mouse message (`message` is WM_MOUSEMOVE, WM_xBUTTONDOWN/UP).
void NotifyMouse(HWND control, UINT code, UINT message, WPARAM wParam, LPARAM lParam);
// Tells the parent of a key; returns the key as the parent left it.
WORD NotifyKey(HWND control, UINT code, WPARAM key);
// The input the controls only pass on (right and middle buttons, key down, characters);
// true when `message` was one of them.
bool ForwardOtherInput(HWND control, UINT message, WPARAM wParam, LPARAM lParam);

// The system colour for button faces, the default background.
constexpr COLORREF kButtonFaceColour = 0x8000000F;
COLORREF ResolveColour(COLORREF colour);

// What a control is created with (lpCreateParams of CreateWindowEx); null gives the
// defaults. A dialog template gives its controls no creation data: the defaults apply
// there, and messages set the rest.
struct XpControlParams {
    int value = 0;
    COLORREF backColour = kButtonFaceColour;
    COLORREF foreColour = 0;
};

// Registers a control's class once per process, usable from dialog templates too.
bool RegisterControlClass(HINSTANCE instance, const char* name, WNDPROC proc);
// WM_COMMAND to the control's parent with the control's id and `code`.
void NotifyParent(HWND control, WORD code);
// Whether the cursor is over the control's client area now.
bool CursorInside(HWND control);
// The point of a mouse message's lParam.
POINT MessagePoint(LPARAM lParam);
bool ClientContains(HWND control, POINT at);

// A control's per-window state: made at WM_NCCREATE (with `init` given the creation
// parameters), freed at WM_NCDESTROY; null before and after.
template <typename State, typename Init>
State* ControlState(HWND window, UINT message, LPARAM lParam, Init init)
{
    auto* state = reinterpret_cast<State*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        auto made = std::make_unique<State>();
        made->window = window;
        init(*made, static_cast<const XpControlParams*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
        state = made.release(); // owned by the window until WM_NCDESTROY
        ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
    } else if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        std::unique_ptr<State>{state};
        return nullptr;
    }
    return state;
}

// Twips to pixels at the screen's real resolution.
int TwipsToPixelsX(int twips);
int TwipsToPixelsY(int twips);

} // namespace sweepora
