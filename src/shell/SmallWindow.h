#pragma once
// A captioned popup of fixed size, centred on the screen, that can be shown modally: the
// shape of the message box and the About box.
#include "controls/GdiObjects.h"

#include <windows.h>

#include <string>

namespace sweepora {

class SmallWindow {
public:
    virtual ~SmallWindow() = default;
    SmallWindow(const SmallWindow&) = delete;
    SmallWindow& operator=(const SmallWindow&) = delete;

    // Shows the window without waiting; false when it could not be made.
    bool Create(HWND owner);
    // Shows it and returns when it is closed, the owner disabled meanwhile.
    void ShowModal(HWND owner);
    HWND Handle() const { return window_.get(); }
    void Close() { window_.reset(); }

protected:
    SmallWindow(const char* className, int width, int height)
        : className_(className), width_(width), height_(height) {}
    int Width() const { return width_; }
    HICON BigIcon() const { return bigIcon_.get(); }
    virtual std::string Caption() const = 0;
    // Makes the children, the window being `window`.
    virtual void OnCreate(HWND window) = 0;
    // A click on the child with `id`.
    virtual void OnClick(int id, HWND control) = 0;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    const char* className_;
    int width_, height_;
    UniqueIcon bigIcon_, smallIcon_;
    UniqueWindow window_; // last: destroyed before the icons it shows
};

} // namespace sweepora
