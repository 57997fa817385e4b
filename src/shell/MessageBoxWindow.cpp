#include "shell/MessageBoxWindow.h"

#include "controls/XpCheckBox.h"
#include "controls/XpCommandButton.h"
#include "storage/AppSettings.h"

namespace sweepora {

namespace {

constexpr char kClassName[] = "Sweepora.frmMessBox";
constexpr int kWidth = 360, kHeight = 170;

HWND Child(HWND parent, const char* className, const char* text, DWORD style, int id, RECT at)
{
    HWND child = ::CreateWindowExA(0, className, text, WS_CHILD | WS_VISIBLE | style, at.left, at.top,
                                   at.right - at.left, at.bottom - at.top, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   reinterpret_cast<HINSTANCE>(::GetWindowLongPtrA(parent, GWLP_HINSTANCE)), nullptr);
    ::SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return child;
}

} // namespace

MessageBoxWindow::MessageBoxWindow(SettingsStore& store, std::string caption, std::string message)
    : store_(store), caption_(std::move(caption)), message_(std::move(message))
{
}

MessageBoxWindow::~MessageBoxWindow() = default;

bool MessageBoxWindow::Create(HWND owner)
{
    const HINSTANCE instance = ::GetModuleHandleA(nullptr);
    RegisterXpCheckBox(instance);
    RegisterXpCommandButton(instance);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    ::RegisterClassA(&wc); // a second registration fails harmlessly

    RECT frame = {0, 0, kWidth, kHeight};
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    ::AdjustWindowRect(&frame, style, FALSE);
    const int w = frame.right - frame.left, h = frame.bottom - frame.top;
    // window_ takes the handle at WM_CREATE, so that the children can be made there.
    if (::CreateWindowExA(WS_EX_DLGMODALFRAME, kClassName, caption_.c_str(), style,
                          (::GetSystemMetrics(SM_CXSCREEN) - w) / 2, (::GetSystemMetrics(SM_CYSCREEN) - h) / 2, w, h,
                          owner, nullptr, instance, this) == nullptr)
        return false;
    ::ShowWindow(window_.get(), SW_SHOW);
    return true;
}

void MessageBoxWindow::ShowModal(HWND owner)
{
    if (owner != nullptr) ::EnableWindow(owner, FALSE);
    if (Create(owner)) {
        MSG msg;
        while (window_ && ::GetMessageA(&msg, nullptr, 0, 0) > 0) {
            if (window_ && ::IsDialogMessageA(window_.get(), &msg)) continue;
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    if (owner != nullptr) {
        ::EnableWindow(owner, TRUE);
        ::SetForegroundWindow(owner);
    }
}

void MessageBoxWindow::OnCreate()
{
    HWND window = window_.get();
    Child(window, "STATIC", message_.c_str(), SS_LEFT, kMessageId, {16, 16, kWidth - 16, 96});
    Child(window, kXpCheckBoxClass, "Don't show this message again.", WS_TABSTOP, kDontShowId, {16, 104, 260, 124});
    HWND ok = Child(window, kXpCommandButtonClass, "OK", WS_TABSTOP, kOkId, {kWidth - 96, 132, kWidth - 16, 157});
    ::SetFocus(ok);
}

LRESULT CALLBACK MessageBoxWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE)
        ::SetWindowLongPtrA(window, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
    auto* self = reinterpret_cast<MessageBoxWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self == nullptr) return ::DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
    case WM_CREATE:
        self->window_.reset(window); // owned from here
        self->OnCreate();
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == kDontShowId && HIWORD(wParam) == BN_CLICKED) {
            const LRESULT ticked = ::SendMessageA(reinterpret_cast<HWND>(lParam), BM_GETCHECK, 0, 0);
            self->store_.Set(kSectionStartup, "DonotShowMessBox", ticked == 1 ? "1" : "0");
        } else if (LOWORD(wParam) == kOkId && HIWORD(wParam) == BN_CLICKED) {
            ::DestroyWindow(window);
        }
        return 0;
    case WM_CLOSE:
        ::DestroyWindow(window);
        return 0;
    case WM_NCDESTROY:
        self->window_.release();
        ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        break;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

} // namespace sweepora
