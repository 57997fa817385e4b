#include "shell/AboutWindow.h"

#include "controls/XpCommandButton.h"
#include "shell/ProgramVersion.h"
#include "shell/SystemInfoTool.h"
#include "shell/WindowParts.h"

#include <string>

namespace sweepora {

namespace {

constexpr char kClassName[] = "Sweepora.frmAbout";
constexpr int kWidth = 360, kHeight = 180;

} // namespace

bool AboutWindow::Create(HWND owner)
{
    RegisterXpCommandButton(::GetModuleHandleA(nullptr));
    RegisterPopupClass(kClassName, WindowProc);
    const std::string caption = "About " + ProgramProductName();
    return CreateCentredPopup(kClassName, caption.c_str(), kWidth, kHeight, owner, this) != nullptr;
}

void AboutWindow::ShowModal(HWND owner)
{
    if (Create(owner)) RunModal(owner, window_);
}

void AboutWindow::OnCreate()
{
    HWND w = window_.get();
    CreateChild(w, "STATIC", ProgramProductName().c_str(), SS_LEFT, kTitleId, {20, 16, kWidth - 20, 34});
    CreateChild(w, "STATIC", ProgramVersionText().c_str(), SS_LEFT, kVersionId, {20, 38, kWidth - 20, 56});
    CreateChild(w, "STATIC", "Copyright (C) 2026 the Sweepora developers.", SS_LEFT, kCopyrightId,
                {20, 70, kWidth - 20, 88});
    CreateChild(w, "STATIC", "All rights reserved.", SS_LEFT, kRightsId, {20, 90, kWidth - 20, 108});
    HWND ok = CreateChild(w, kXpCommandButtonClass, "&Ok", WS_TABSTOP, kOkId, {kWidth - 100, 140, kWidth - 20, 165});
    CreateChild(w, kXpCommandButtonClass, "&System Info...", WS_TABSTOP, kSysInfoId, {20, 140, 120, 165});
    CreateChild(w, kXpCommandButtonClass, "Su&pport", WS_TABSTOP, kSupportId, {130, 140, 210, 165});
    ::SetFocus(ok);
}

LRESULT CALLBACK AboutWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE)
        ::SetWindowLongPtrA(window, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
    auto* self = reinterpret_cast<AboutWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self == nullptr) return ::DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
    case WM_CREATE:
        self->window_.reset(window); // owned from here
        self->OnCreate();
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) != BN_CLICKED) return 0;
        switch (LOWORD(wParam)) {
        case kOkId:
            ::DestroyWindow(window);
            break;
        case kSysInfoId:
            StartSysInfo(self->desktop_, self->sysInfoRoot_);
            break;
        case kSupportId:
            self->desktop_.ShellExecuteFile("open", kProductPage, "", "", SW_SHOWMAXIMIZED); // errors ignored
            break;
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
