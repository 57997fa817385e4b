#include "shell/WindowParts.h"

#include <commctrl.h>

namespace sweepora {

HWND CreateChild(HWND parent, const char* className, const char* text, DWORD style, int id, RECT at)
{
    HWND child = ::CreateWindowExA(0, className, text, WS_CHILD | WS_VISIBLE | style, at.left, at.top,
                                   at.right - at.left, at.bottom - at.top, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   reinterpret_cast<HINSTANCE>(::GetWindowLongPtrA(parent, GWLP_HINSTANCE)), nullptr);
    ::SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return child;
}

HWND CreateWideChild(HWND parent, const wchar_t* className, DWORD style, int id, RECT at)
{
    HWND child = ::CreateWindowExW(0, className, L"", WS_CHILD | WS_VISIBLE | style, at.left, at.top,
                                   at.right - at.left, at.bottom - at.top, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   reinterpret_cast<HINSTANCE>(::GetWindowLongPtrA(parent, GWLP_HINSTANCE)), nullptr);
    ::SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return child;
}

void RegisterPopupClass(const char* name, WNDPROC proc)
{
    WNDCLASSA wc = {};
    const HINSTANCE instance = ::GetModuleHandleA(nullptr);
    if (::GetClassInfoA(instance, name, &wc)) return;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = name;
    ::RegisterClassA(&wc);
}

HWND CreateCentredPopup(const char* className, const char* caption, int width, int height, HWND owner, void* self)
{
    RECT frame = {0, 0, width, height};
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    ::AdjustWindowRectEx(&frame, style, FALSE, WS_EX_DLGMODALFRAME);
    const int w = frame.right - frame.left, h = frame.bottom - frame.top;
    HWND window = ::CreateWindowExA(WS_EX_DLGMODALFRAME, className, caption, style,
                                    (::GetSystemMetrics(SM_CXSCREEN) - w) / 2, (::GetSystemMetrics(SM_CYSCREEN) - h) / 2,
                                    w, h, owner, nullptr, ::GetModuleHandleA(nullptr), self);
    if (window != nullptr) ::ShowWindow(window, SW_SHOW);
    return window;
}

void RunModal(HWND owner, const UniqueWindow& window)
{
    if (owner != nullptr) ::EnableWindow(owner, FALSE);
    MSG msg;
    while (window) {
        const BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            // The program is ending (its main window is gone): the outer loop must see that too.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got < 0) break;
        if (window && ::IsDialogMessageA(window.get(), &msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    if (owner != nullptr && ::IsWindow(owner)) {
        ::EnableWindow(owner, TRUE);
        ::SetForegroundWindow(owner);
    }
}

} // namespace sweepora

namespace sweepora {

void SelectTabAsUser(HWND tab, int index)
{
    NMHDR header = {tab, static_cast<UINT_PTR>(::GetDlgCtrlID(tab)), static_cast<UINT>(TCN_SELCHANGING)};
    HWND parent = ::GetParent(tab);
    ::SendMessageA(parent, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
    ::SendMessageA(tab, TCM_SETCURSEL, index, 0);
    header.code = TCN_SELCHANGE;
    ::SendMessageA(parent, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

} // namespace sweepora
