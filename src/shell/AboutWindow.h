#pragma once
#include "controls/GdiObjects.h"
#include "engine/Desktop.h"

#include <windows.h>

namespace sweepora {

// Where "Support" leads.
constexpr const char* kProductPage = "https://sweepora.example.org/support";

// The About box: the product's name and version from the version resource, the notice
// lines, and buttons for the system-information tool and the product page (both through
// the desktop, so tests start nothing).
class AboutWindow {
public:
    enum : int { kOkId = IDOK, kSysInfoId = 201, kSupportId = 202, kTitleId = 203, kVersionId = 204,
                 kCopyrightId = 205, kRightsId = 206 };

    explicit AboutWindow(Desktop& desktop, HKEY sysInfoRoot = HKEY_LOCAL_MACHINE)
        : desktop_(desktop), sysInfoRoot_(sysInfoRoot) {}
    AboutWindow(const AboutWindow&) = delete;
    AboutWindow& operator=(const AboutWindow&) = delete;

    bool Create(HWND owner);
    void ShowModal(HWND owner);
    HWND Handle() const { return window_.get(); }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void OnCreate();

    Desktop& desktop_;
    HKEY sysInfoRoot_;
    UniqueWindow window_;
};

} // namespace sweepora
