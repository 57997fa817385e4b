#pragma once
#include <windows.h>
#include <shellapi.h>

namespace sweepora {

// Tray events arrive as this message, lParam the mouse message.
constexpr UINT WM_TRAYICON = WM_APP + 1;

// The notification-area icon of one window.
class TrayIcon {
public:
    // Fills the record once; nothing is shown yet.
    void Prepare(HWND window, HICON icon, const char* tip);
    void Add();
    void Delete();
    // Whether the icon is meant to be in the notification area now.
    bool Present() const { return present_; }

private:
    NOTIFYICONDATAA data_ = {};
    bool present_ = false;
};

} // namespace sweepora
