#include "shell/MessageBoxWindow.h"

#include "controls/XpCheckBox.h"
#include "controls/XpCommandButton.h"
#include "shell/WindowParts.h"
#include "storage/AppSettings.h"

namespace sweepora {

namespace {

constexpr char kClassName[] = "Sweepora.frmMessBox";
constexpr int kWidth = 360, kHeight = 170;

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
    RegisterPopupClass(kClassName, WindowProc);
    // window_ takes the handle at WM_CREATE, so that the children can be made there.
    return CreateCentredPopup(kClassName, caption_.c_str(), kWidth, kHeight, owner, this) != nullptr;
}

void MessageBoxWindow::ShowModal(HWND owner)
{
    if (Create(owner)) RunModal(owner, window_);
}

void MessageBoxWindow::OnCreate()
{
    HWND window = window_.get();
    CreateChild(window, "STATIC", message_.c_str(), SS_LEFT, kMessageId, {16, 16, kWidth - 16, 96});
    CreateChild(window, kXpCheckBoxClass, "Don't show this message again.", WS_TABSTOP, kDontShowId, {16, 104, 260, 124});
    HWND ok = CreateChild(window, kXpCommandButtonClass, "OK", WS_TABSTOP, kOkId, {kWidth - 96, 132, kWidth - 16, 157});
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
