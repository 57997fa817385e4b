#pragma once
// Real windows for tests: a host that records what its controls tell it, message pumping,
// and mouse clicks as window messages.
#include "controls/XpCheckBox.h"
#include "controls/XpRadioButton.h"

#include <string>
#include <utility>
#include <vector>

namespace sweepora::test {

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
        RegisterXpRadioButton(wc.hInstance);
    }
    ~Host() { ::DestroyWindow(window); }
    HWND Add(const char* caption, int id, int height, const XpControlParams* params = nullptr,
             const char* className = kXpCheckBoxClass, DWORD style = 0)
    {
        return ::CreateWindowExA(0, className, caption, WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, 10, 10 + 30 * (id - 1),
                                 200, height, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 ::GetModuleHandleA(nullptr), const_cast<XpControlParams*>(params));
    }
    HWND window;
    std::vector<std::pair<int, int>> notes;     // control id, WM_COMMAND notification
    std::vector<std::pair<UINT, int>> events;   // WM_NOTIFY code, button or key
    bool dropKeys = false;                      // answers every key notification with 0

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<Host*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
        if (message == WM_COMMAND && self != nullptr) self->notes.emplace_back(LOWORD(wParam), HIWORD(wParam));
        if (message == WM_NOTIFY && self != nullptr) {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            if (header->code == XPN_KEYDOWN || header->code == XPN_KEYUP || header->code == XPN_KEYPRESS) {
                auto* key = reinterpret_cast<XpKeyNotify*>(lParam);
                self->events.emplace_back(header->code, key->key);
                if (self->dropKeys) key->key = 0;
            } else {
                self->events.emplace_back(header->code, reinterpret_cast<XpMouseNotify*>(lParam)->button);
            }
        }
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
};

// Runs the thread's messages, timers included, for about this long.
inline void Pump(DWORD milliseconds)
{
    const DWORD start = ::GetTickCount();
    do {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
        ::Sleep(5);
    } while (::GetTickCount() - start < milliseconds);
}

// Left button down and up near the top left corner, inside even the smallest control.
inline void Click(HWND control)
{
    ::SendMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    ::SendMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
}

inline std::string ItemText(HWND window, int id)
{
    char text[256] = {};
    ::GetDlgItemTextA(window, id, text, sizeof text);
    return text;
}

inline int Cell(HWND control) { return static_cast<int>(::SendMessageA(control, XPM_GETCELL, 0, 0)); }

inline void MoveCursorTo(HWND control, int x, int y)
{
    POINT at = {x, y};
    ::ClientToScreen(control, &at);
    ::SetCursorPos(at.x, at.y);
}

constexpr LPARAM kInside = MAKELPARAM(5, 5);

} // namespace sweepora::test
