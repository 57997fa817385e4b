#include "shell/MessageBoxWindow.h"

#include "controls/XpCheckBox.h"
#include "controls/XpCommandButton.h"
#include "settings/AppSettings.h"
#include "shell/WindowParts.h"

namespace sweepora {

MessageBoxWindow::MessageBoxWindow(SettingsStore& store, std::string caption, std::string message)
    : SmallWindow("Sweepora.frmMessBox", 360, 170), store_(store), caption_(std::move(caption)),
      message_(std::move(message))
{
}

void MessageBoxWindow::OnCreate(HWND window)
{
    const int w = Width();
    CreateChild(window, "STATIC", message_.c_str(), SS_LEFT, kMessageId, {16, 16, w - 16, 96});
    CreateChild(window, kXpCheckBoxClass, "Don't show this message again.", WS_TABSTOP, kDontShowId, {16, 104, 260, 124});
    ::SetFocus(CreateChild(window, kXpCommandButtonClass, "OK", WS_TABSTOP, kOkId, {w - 96, 132, w - 16, 157}));
}

void MessageBoxWindow::OnClick(int id, HWND control)
{
    if (id == kDontShowId) {
        const LRESULT ticked = ::SendMessageA(control, BM_GETCHECK, 0, 0);
        store_.Set(kSectionStartup, "DonotShowMessBox", ticked == 1 ? "1" : "0");
    } else if (id == kOkId) {
        Close();
    }
}

} // namespace sweepora
