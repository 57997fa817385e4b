#pragma once
#include "controls/GdiObjects.h"

#include <windows.h>

#include <vector>

namespace sweepora {

// The loading bar's arithmetic, apart from any window: blocks 10 units apart from x = 4,
// two per tick, until the next one would start past the frame's right piece.
class LoadingBar {
public:
    explicit LoadingBar(int width) : width_(width) {}
    // The x positions this tick paints; none once the bar has stopped.
    std::vector<int> Tick();
    bool Running() const { return running_; }
    int NextPosition() const { return position_; }
    int Width() const { return width_; }

private:
    int width_;
    int position_ = 4;
    bool running_ = true;
};

// The borderless window shown while the main window reads its settings: the program's
// name and a bar that fills every 50 ms and stops at its right end. Shown modeless at
// once, centred on the screen; gone when the object is.
class LoadingWindow {
public:
    explicit LoadingWindow(HINSTANCE instance);
    ~LoadingWindow();
    LoadingWindow(const LoadingWindow&) = delete;
    LoadingWindow& operator=(const LoadingWindow&) = delete;

    HWND Handle() const { return window_.get(); }
    const LoadingBar& Bar() const { return bar_; }

    static constexpr int kBarWidth = 300;
    static constexpr int kBarHeight = 17;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void PaintFrame();
    void OnTimer();
    void OnPaint();

    LoadingBar bar_{kBarWidth};
    UniqueMemoryDc barDc_;
    UniqueGdiObject barBitmap_;
    HGDIOBJ barPrevious_ = nullptr;
    UniqueWindow window_;
};

} // namespace sweepora
