#include "shell/AboutWindow.h"

#include "controls/XpCommandButton.h"
#include "platform/ProgramVersion.h"
#include "shell/SystemInfoTool.h"
#include "shell/WebPages.h"
#include "shell/WindowParts.h"

namespace sweepora {

AboutWindow::AboutWindow(Desktop& desktop, HKEY sysInfoRoot)
    : SmallWindow("Sweepora.frmAbout", 360, 180), desktop_(desktop), sysInfoRoot_(sysInfoRoot)
{
}

std::string AboutWindow::Caption() const { return "About " + ProgramProductName(); }

void AboutWindow::OnCreate(HWND window)
{
    const int w = Width(), left = 68;
    HWND picture = CreateChild(window, "STATIC", "", SS_ICON, kIconId, {20, 16, 52, 48});
    ::SendMessageA(picture, STM_SETICON, reinterpret_cast<WPARAM>(BigIcon()), 0);
    CreateChild(window, "STATIC", ProgramProductName().c_str(), SS_LEFT, kTitleId, {left, 16, w - 20, 34});
    CreateChild(window, "STATIC", ProgramVersionText().c_str(), SS_LEFT, kVersionId, {left, 38, w - 20, 56});
    CreateChild(window, "STATIC", "Copyright (C) 2026 the Sweepora developers.", SS_LEFT, kCopyrightId,
                {left, 70, w - 20, 88});
    CreateChild(window, "STATIC", "All rights reserved.", SS_LEFT, kRightsId, {left, 90, w - 20, 108});
    CreateChild(window, kXpCommandButtonClass, "&System Info...", WS_TABSTOP, kSysInfoId, {20, 140, 120, 165});
    CreateChild(window, kXpCommandButtonClass, "Su&pport", WS_TABSTOP, kSupportId, {130, 140, 210, 165});
    ::SetFocus(CreateChild(window, kXpCommandButtonClass, "&Ok", WS_TABSTOP, kOkId, {w - 100, 140, w - 20, 165}));
}

void AboutWindow::OnClick(int id, HWND)
{
    if (id == kOkId)
        Close();
    else if (id == kSysInfoId)
        StartSysInfo(desktop_, sysInfoRoot_);
    else if (id == kSupportId)
        desktop_.ShellExecuteFile("open", kSupportPage, "", "", SW_SHOWMAXIMIZED); // errors ignored
}

} // namespace sweepora
