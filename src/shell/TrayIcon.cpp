#include "shell/TrayIcon.h"

#include <cstring>

namespace sweepora {

void TrayIcon::Prepare(HWND window, HICON icon, const char* tip)
{
    data_ = {};
    data_.cbSize = sizeof data_;
    data_.hWnd = window;
    data_.uID = 1;
    data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data_.uCallbackMessage = WM_TRAYICON;
    data_.hIcon = icon;
    std::strncpy(data_.szTip, tip, sizeof data_.szTip - 1);
}

void TrayIcon::Add()
{
    if (data_.hWnd == nullptr) return;
    // A notification area that is not there yet (no shell) is no reason to stop.
    if (!::Shell_NotifyIconA(NIM_ADD, &data_)) ::Shell_NotifyIconA(NIM_MODIFY, &data_);
    present_ = true;
}

void TrayIcon::Restore()
{
    if (present_) ::Shell_NotifyIconA(NIM_ADD, &data_);
}

void TrayIcon::Delete()
{
    if (!present_) return;
    ::Shell_NotifyIconA(NIM_DELETE, &data_);
    present_ = false;
}

} // namespace sweepora
