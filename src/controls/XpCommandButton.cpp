#include "controls/XpCommandButton.h"

#include "controls/Artwork.h"
#include "controls/GdiObjects.h"


namespace sweepora {

namespace {

constexpr UINT_PTR kHoverTimer = 1;
constexpr COLORREF kDisabledCaption = RGB(161, 161, 146);
enum Look { kNormal = 0, kPressed = 1, kDisabled = 2, kHover = 3, kEmphasised = 4 };

const CellStrip& Strip()
{
    static const CellStrip strip = CommandButtonArtwork(); // made once, never changed
    return strip;
}

struct Button {
    HWND window;
    int state = 0;
    int look = kNormal;
    HFONT font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    bool tracking = false;

    int Cell() const { return ::IsWindowEnabled(window) ? look : kDisabled; }
    void Show(int newLook)
    {
        look = newLook;
        ::InvalidateRect(window, nullptr, FALSE);
    }
    // Any State other than 0 and 1 keeps the look it had.
    void NormalPaint()
    {
        Show(state == 1 ? kEmphasised : state == 0 ? kNormal : look);
    }
    void Paint() const;
};

void Button::Paint() const
{
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(window, &ps);
    RECT r;
    ::GetClientRect(window, &r);
    Strip().DrawNinePart(dc, Cell(), r, 3);
    char text[256] = {};
    ::GetWindowTextA(window, text, sizeof text);
    SelectedObject selected(dc, font);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::IsWindowEnabled(window) ? RGB(0, 0, 0) : kDisabledCaption);
    ::DrawTextA(dc, text, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (::GetFocus() == window) {
        RECT focus = r;
        ::InflateRect(&focus, -3, -3);
        ::DrawFocusRect(dc, &focus);
    }
    ::EndPaint(window, &ps);
}

LRESULT CALLBACK ButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = ControlState<Button>(window, message, lParam, [](Button& b, const XpControlParams* p) {
        if (p != nullptr) b.state = p->value;
        b.NormalPaint();
    });
    if (self == nullptr) return ::DefWindowProcA(window, message, wParam, lParam);
    if (ForwardOtherInput(window, message, wParam, lParam)) return 0;

    switch (message) {
    case WM_PAINT:
        self->Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SHOWWINDOW:
    case WM_ENABLE:
        self->NormalPaint();
        break;
    case WM_SETFONT:
        self->font = wParam != 0 ? reinterpret_cast<HFONT>(wParam) : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
        ::InvalidateRect(window, nullptr, FALSE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(self->font);
    case WM_SETTEXT: {
        const LRESULT done = ::DefWindowProcA(window, message, wParam, lParam);
        ::InvalidateRect(window, nullptr, FALSE);
        return done;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        ::InvalidateRect(window, nullptr, FALSE);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
    case XPM_SETSTATE:
        self->state = static_cast<int>(wParam);
        self->NormalPaint();
        return 0;
    case XPM_GETSTATE:
        return self->state;
    case XPM_GETCELL:
        return self->Cell();
    case BM_CLICK:
        if (::IsWindowEnabled(window)) NotifyParent(window, BN_CLICKED);
        return 0;
    case WM_MOUSEMOVE:
        if (!self->tracking) self->tracking = ::SetTimer(window, kHoverTimer, 10, nullptr) != 0;
        if (ClientContains(window, MessagePoint(lParam))) {
            NotifyMouse(window, XPN_MOUSEMOVE, message, wParam, lParam);
            self->Show((wParam & MK_LBUTTON) ? kPressed : kHover);
        }
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        ::SetFocus(window);
        ::SetCapture(window);
        NotifyMouse(window, XPN_MOUSEDOWN, WM_LBUTTONDOWN, wParam, lParam);
        self->Show(kPressed);
        return 0;
    case WM_LBUTTONUP: {
        NotifyMouse(window, XPN_MOUSEUP, message, wParam, lParam);
        const bool captured = ::GetCapture() == window;
        if (captured) ::ReleaseCapture();
        self->NormalPaint();
        if (captured && ClientContains(window, MessagePoint(lParam))) NotifyParent(window, BN_CLICKED);
        return 0;
    }
    case WM_KEYUP: {
        const WORD key = NotifyKey(window, XPN_KEYUP, wParam);
        if (key == VK_SPACE || key == VK_RETURN) NotifyParent(window, BN_CLICKED);
        return 0;
    }
    case WM_TIMER:
        if (wParam == kHoverTimer && !CursorInside(window)) {
            ::KillTimer(window, kHoverTimer);
            self->tracking = false;
            NotifyParent(window, XPN_MOUSEOUT);
            self->NormalPaint();
        }
        return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

bool RegisterXpCommandButton(HINSTANCE instance)
{
    return RegisterControlClass(instance, kXpCommandButtonClass, ButtonProc);
}

} // namespace sweepora
