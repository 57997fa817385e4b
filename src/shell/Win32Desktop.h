#pragma once
#include "engine/Desktop.h"

namespace sweepora {

// The real desktop: boxes owned by the main window (or by no window).
class Win32Desktop final : public Desktop {
public:
    explicit Win32Desktop(HWND owner = nullptr) : owner_(owner) {}
    void SetOwner(HWND owner) { owner_ = owner; }

    int MessageBox(const std::string& prompt, const std::string& title, UINT flags) override;

private:
    HWND owner_;
};

} // namespace sweepora
