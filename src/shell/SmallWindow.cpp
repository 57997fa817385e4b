#include "shell/SmallWindow.h"

#include "controls/XpCheckBox.h"
#include "controls/XpCommandButton.h"
#include "shell/ProgramIcon.h"
#include "shell/WindowParts.h"

namespace sweepora {

bool SmallWindow::Create(HWND owner)
{
    const HINSTANCE instance = ::GetModuleHandleA(nullptr);
    RegisterXpCheckBox(instance);
    RegisterXpCommandButton(instance);
    RegisterPopupClass(className_, WindowProc);
    if (!bigIcon_) bigIcon_ = ProgramIcon(::GetSystemMetrics(SM_CXICON));
    if (!smallIcon_) smallIcon_ = ProgramIcon(::GetSystemMetrics(SM_CXSMICON));
    // window_ takes the handle at WM_CREATE, so that the children can be made there.
    return CreateCentredPopup(className_, Caption().c_str(), width_, height_, owner, this) != nullptr;
}

void SmallWindow::ShowModal(HWND owner)
{
    if (Create(owner)) RunModal(owner, window_);
}

LRESULT CALLBACK SmallWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE)
        ::SetWindowLongPtrA(window, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
    auto* self = reinterpret_cast<SmallWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self == nullptr) return ::DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
    case WM_CREATE:
        self->window_.reset(window); // owned from here
        ::SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(self->bigIcon_.get()));
        ::SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(self->smallIcon_.get()));
        self->OnCreate(window);
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) self->OnClick(LOWORD(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_CLOSE:
        self->Close();
        return 0;
    case WM_NCDESTROY:
        self->window_.release();
        ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        break;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

} // namespace sweepora
