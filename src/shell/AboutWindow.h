#pragma once
#include "engine/Desktop.h"
#include "shell/SmallWindow.h"

namespace sweepora {

// The About box: the product's name and version from the version resource, the notice
// lines, and buttons for the system-information tool and the support page (both through
// the desktop, so tests start nothing).
class AboutWindow final : public SmallWindow {
public:
    enum : int { kOkId = IDOK, kSysInfoId = 201, kSupportId = 202, kTitleId = 203, kVersionId = 204,
                 kCopyrightId = 205, kRightsId = 206, kIconId = 207 };

    explicit AboutWindow(Desktop& desktop, HKEY sysInfoRoot = HKEY_LOCAL_MACHINE);

private:
    std::string Caption() const override;
    void OnCreate(HWND window) override;
    void OnClick(int id, HWND control) override;

    Desktop& desktop_;
    HKEY sysInfoRoot_;
};

} // namespace sweepora
