#pragma once
#include "controls/GdiObjects.h"
#include "storage/SettingsStore.h"

#include <windows.h>

#include <string>

namespace sweepora {

// The program's own notice: a caption and a message from the caller, a box that turns
// the notice off for good (saved at once, as the user ticks it) and "OK".
class MessageBoxWindow {
public:
    enum : int { kDontShowId = 101, kOkId = IDOK, kMessageId = 102 };

    MessageBoxWindow(SettingsStore& store, std::string caption, std::string message);
    ~MessageBoxWindow();
    MessageBoxWindow(const MessageBoxWindow&) = delete;
    MessageBoxWindow& operator=(const MessageBoxWindow&) = delete;

    // Shows the window without waiting; false when it could not be made.
    bool Create(HWND owner);
    // Shows it and returns when it is closed, the owner disabled meanwhile.
    void ShowModal(HWND owner);
    HWND Handle() const { return window_.get(); }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void OnCreate();

    SettingsStore& store_;
    std::string caption_, message_;
    UniqueWindow window_;
};

} // namespace sweepora
