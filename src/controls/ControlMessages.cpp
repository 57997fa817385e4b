#include "controls/ControlMessages.h"

#include "controls/GdiObjects.h"

namespace sweepora {

COLORREF ResolveColour(COLORREF colour)
{
    return (colour & 0x80000000u) != 0 ? ::GetSysColor(static_cast<int>(colour & 0xFF)) : colour;
}

bool RegisterControlClass(HINSTANCE instance, const char* name, WNDPROC proc)
{
    WNDCLASSA wc = {};
    if (::GetClassInfoA(instance, name, &wc)) return true;
    wc.style = CS_DBLCLKS | CS_GLOBALCLASS;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = name;
    return ::RegisterClassA(&wc) != 0;
}

void NotifyParent(HWND control, WORD code)
{
    ::SendMessageA(::GetParent(control), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(control), code),
                   reinterpret_cast<LPARAM>(control));
}

namespace {

int ShiftState()
{
    return ((::GetKeyState(VK_SHIFT) < 0) ? 1 : 0) | ((::GetKeyState(VK_CONTROL) < 0) ? 2 : 0) |
           ((::GetKeyState(VK_MENU) < 0) ? 4 : 0);
}

NMHDR Header(HWND control, UINT code)
{
    return {control, static_cast<UINT_PTR>(::GetDlgCtrlID(control)), code};
}

} // namespace

void NotifyMouse(HWND control, UINT code, UINT message, WPARAM wParam, LPARAM lParam)
{
    int button = 0;
    if (message == WM_LBUTTONDOWN || message == WM_LBUTTONUP) button = 1;
    else if (message == WM_RBUTTONDOWN || message == WM_RBUTTONUP) button = 2;
    else if (message == WM_MBUTTONDOWN || message == WM_MBUTTONUP) button = 4;
    else button = ((wParam & MK_LBUTTON) ? 1 : 0) | ((wParam & MK_RBUTTON) ? 2 : 0) | ((wParam & MK_MBUTTON) ? 4 : 0);
    const POINT at = MessagePoint(lParam);
    XpMouseNotify note = {Header(control, code), button, ShiftState(), static_cast<int>(at.x), static_cast<int>(at.y)};
    ::SendMessageA(::GetParent(control), WM_NOTIFY, note.header.idFrom, reinterpret_cast<LPARAM>(&note));
}

WORD NotifyKey(HWND control, UINT code, WPARAM key)
{
    XpKeyNotify note = {Header(control, code), static_cast<WORD>(key), static_cast<WORD>(ShiftState())};
    ::SendMessageA(::GetParent(control), WM_NOTIFY, note.header.idFrom, reinterpret_cast<LPARAM>(&note));
    return note.key;
}

bool ForwardOtherInput(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        NotifyMouse(control, XPN_MOUSEDOWN, message, wParam, lParam);
        return true;
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        NotifyMouse(control, XPN_MOUSEUP, message, wParam, lParam);
        return true;
    case WM_KEYDOWN:
        NotifyKey(control, XPN_KEYDOWN, wParam);
        return true;
    case WM_CHAR:
        NotifyKey(control, XPN_KEYPRESS, wParam);
        return true;
    }
    return false;
}

POINT MessagePoint(LPARAM lParam) { return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))}; }

bool ClientContains(HWND control, POINT at)
{
    RECT r;
    ::GetClientRect(control, &r);
    return ::PtInRect(&r, at) != FALSE;
}

bool CursorInside(HWND control)
{
    POINT at;
    ::GetCursorPos(&at);
    ::ScreenToClient(control, &at);
    return ClientContains(control, at);
}

namespace {

int ScreenPixelsPerInch(int index)
{
    ScreenDc screen;
    const int dpi = ::GetDeviceCaps(screen.get(), index);
    return dpi > 0 ? dpi : 96;
}

} // namespace

int TwipsToPixelsX(int twips) { return ::MulDiv(twips, ScreenPixelsPerInch(LOGPIXELSX), 1440); }
int TwipsToPixelsY(int twips) { return ::MulDiv(twips, ScreenPixelsPerInch(LOGPIXELSY), 1440); }

} // namespace sweepora
