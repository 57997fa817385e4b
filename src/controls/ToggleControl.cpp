#include "controls/ToggleControl.h"

#include "controls/Artwork.h"
#include "controls/GdiObjects.h"

#include <string>

namespace sweepora {

namespace {

constexpr UINT_PTR kHoverTimer = 1;
constexpr COLORREF kDisabledCaption = RGB(161, 161, 146);
enum Look { kNormal = 0, kHover = 1, kPressed = 2, kDisabled = 3 };

// Made once, never changed.
const CellStrip& Strip(ToggleKind kind)
{
    static const CellStrip checkBox = CheckBoxArtwork();
    static const CellStrip radio = RadioButtonArtwork();
    return kind == ToggleKind::CheckBox ? checkBox : radio;
}

struct Toggle {
    HWND window;
    ToggleKind kind;
    int value = 0;
    int look = kNormal;
    COLORREF back = kButtonFaceColour, fore = 0;
    HFONT font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    bool tracking = false;

    int Row() const { return kind == ToggleKind::CheckBox ? value : (value != 0 ? 1 : 0); }
    int Cell() const { return 4 * Row() + (::IsWindowEnabled(window) ? look : kDisabled); }
    int PictureSide() const { return TwipsToPixelsX(kind == ToggleKind::CheckBox ? 195 : 240); }

    void Notify(WORD code) const { NotifyParent(window, code); }
    void Show(int newLook)
    {
        look = newLook;
        ::InvalidateRect(window, nullptr, FALSE);
    }
    void StartTracking()
    {
        tracking = ::SetTimer(window, kHoverTimer, 10, nullptr) != 0;
    }
    // The check box's minimum height, raised where the control is smaller.
    void Layout() const
    {
        if (kind != ToggleKind::CheckBox) {
            ::InvalidateRect(window, nullptr, FALSE);
            return;
        }
        RECT r;
        ::GetClientRect(window, &r);
        const int minimum = TwipsToPixelsY(195);
        if (r.bottom < minimum)
            ::SetWindowPos(window, nullptr, 0, 0, r.right, minimum, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        ::InvalidateRect(window, nullptr, FALSE);
    }
    void Click()
    {
        if (kind == ToggleKind::RadioButton) {
            ClearGroup();
            value = 1;
            Notify(BN_CLICKED);
            Show(kNormal);
            return;
        }
        if (value == 1 || value == 2)
            value = 0;
        else if (value == 0)
            value = 1;
        Show(kNormal);
        Notify(BN_CLICKED);
    }
    // The other radio buttons of this one's group: the siblings of its class from the
    // last one marked WS_GROUP up to the next one marked so.
    void ClearGroup() const;
    void Paint() const;
};

bool IsRadio(HWND window)
{
    char name[64] = {};
    ::GetClassNameA(window, name, sizeof name);
    return lstrcmpiA(name, kXpRadioButtonClass) == 0;
}

void Toggle::ClearGroup() const
{
    HWND first = window;
    while (!(::GetWindowLongA(first, GWL_STYLE) & WS_GROUP)) {
        HWND before = ::GetWindow(first, GW_HWNDPREV);
        if (before == nullptr || !IsRadio(before)) break;
        first = before;
    }
    for (HWND w = first; w != nullptr && IsRadio(w); w = ::GetWindow(w, GW_HWNDNEXT)) {
        if (w != first && (::GetWindowLongA(w, GWL_STYLE) & WS_GROUP)) break;
        if (w != window) ::SendMessageA(w, BM_SETCHECK, BST_UNCHECKED, 0);
    }
}

void Toggle::Paint() const
{
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(window, &ps);
    RECT r;
    ::GetClientRect(window, &r);
    UniqueGdiObject brush(::CreateSolidBrush(ResolveColour(back)));
    ::FillRect(dc, &r, static_cast<HBRUSH>(brush.get()));
    const CellStrip& strip = Strip(kind);
    strip.Draw(dc, Cell(), (PictureSide() - strip.CellWidth()) / 2, (r.bottom - strip.CellHeight()) / 2);

    char text[512] = {};
    ::GetWindowTextA(window, text, sizeof text);
    RECT caption = {TwipsToPixelsX(300), 0, r.right, r.bottom};
    SelectedObject selected(dc, font);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::IsWindowEnabled(window) ? ResolveColour(fore) : kDisabledCaption);
    ::DrawTextA(dc, text, -1, &caption, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    if (::GetFocus() == window) {
        SIZE extent = {};
        ::GetTextExtentPoint32A(dc, text, static_cast<int>(strlen(text)), &extent);
        RECT focus = {caption.left - 1, (r.bottom - extent.cy) / 2 - 1, caption.left + extent.cx + 1,
                      (r.bottom + extent.cy) / 2 + 1};
        ::DrawFocusRect(dc, &focus);
    }
    ::EndPaint(window, &ps);
}

} // namespace

LRESULT ToggleProc(ToggleKind kind, HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = ControlState<Toggle>(window, message, lParam, [kind](Toggle& t, const XpControlParams* p) {
        t.kind = kind;
        if (p == nullptr) return;
        t.value = p->value;
        t.back = p->backColour;
        t.fore = p->foreColour;
    });
    if (self == nullptr) return ::DefWindowProcA(window, message, wParam, lParam);
    if (ForwardOtherInput(window, message, wParam, lParam)) return 0;

    switch (message) {
    case WM_CREATE:
        // Running from the start: its first tick paints normal and tells the cursor is away.
        self->StartTracking();
        self->Layout();
        return 0;
    case WM_SIZE:
        self->Layout();
        return 0;
    case WM_PAINT:
        self->Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SETFONT:
        self->font = wParam != 0 ? reinterpret_cast<HFONT>(wParam) : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
        self->Layout();
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(self->font);
    case WM_SETTEXT: {
        const LRESULT done = ::DefWindowProcA(window, message, wParam, lParam);
        self->Layout();
        return done;
    }
    case WM_ENABLE:
        self->Show(kNormal);
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        ::InvalidateRect(window, nullptr, FALSE);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_BUTTON;
    case BM_GETCHECK:
        return self->value;
    case BM_SETCHECK:
        self->value = kind == ToggleKind::CheckBox ? static_cast<int>(wParam) : (wParam != 0 ? 1 : 0);
        self->Show(kNormal);
        return 0;
    case XPM_GETCELL:
        return self->Cell();
    case XPM_SETBACKCOLOR:
        self->back = static_cast<COLORREF>(wParam);
        ::InvalidateRect(window, nullptr, FALSE);
        return 0;
    case XPM_SETFORECOLOR:
        self->fore = static_cast<COLORREF>(wParam);
        ::InvalidateRect(window, nullptr, FALSE);
        return 0;
    case WM_MOUSEMOVE:
        if (!self->tracking) self->StartTracking();
        if (ClientContains(window, MessagePoint(lParam))) {
            NotifyMouse(window, XPN_MOUSEMOVE, message, wParam, lParam);
            self->Show((wParam & MK_LBUTTON) ? kPressed : kHover);
        }
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        ::SetFocus(window);
        ::SetCapture(window);
        self->Show(kPressed);
        NotifyMouse(window, XPN_MOUSEDOWN, WM_LBUTTONDOWN, wParam, lParam);
        return 0;
    case WM_LBUTTONUP: {
        NotifyMouse(window, XPN_MOUSEUP, message, wParam, lParam);
        const bool captured = ::GetCapture() == window;
        if (captured) ::ReleaseCapture();
        if (captured && ClientContains(window, MessagePoint(lParam)))
            self->Click();
        else
            self->Show(kNormal);
        return 0;
    }
    case WM_KEYUP:
        if (NotifyKey(window, XPN_KEYUP, wParam) == VK_SPACE) self->Click();
        return 0;
    case WM_TIMER:
        if (wParam == kHoverTimer && !CursorInside(window)) {
            ::KillTimer(window, kHoverTimer);
            self->tracking = false;
            self->Show(kNormal);
            self->Notify(XPN_MOUSEOUT);
        }
        return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

} // namespace sweepora
