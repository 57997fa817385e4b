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
    // Shows the icon; when it is already there, it is only refreshed.
    void Add();
    void Delete();
    // Shows the icon again in a notification area that was re-created, if it is meant to be there.
    void Restore();
    // Whether the icon is meant to be in the notification area now.
    bool Present() const { return present_; }

private:
    NOTIFYICONDATAA data_ = {};
    bool present_ = false;
};

} // namespace sweepora
