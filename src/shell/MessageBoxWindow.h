#pragma once
#include "settings/SettingsStore.h"
#include "shell/SmallWindow.h"

#include <string>

namespace sweepora {

// The program's own notice: a caption and a message from the caller, a box that turns
// the notice off for good (saved at once, as the user ticks it) and "OK".
class MessageBoxWindow final : public SmallWindow {
public:
    enum : int { kDontShowId = 101, kOkId = IDOK, kMessageId = 102 };

    MessageBoxWindow(SettingsStore& store, std::string caption, std::string message);

private:
    std::string Caption() const override { return caption_; }
    void OnCreate(HWND window) override;
    void OnClick(int id, HWND control) override;

    SettingsStore& store_;
    std::string caption_, message_;
};

} // namespace sweepora
