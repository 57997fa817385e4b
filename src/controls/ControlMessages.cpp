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
