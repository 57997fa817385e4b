#include "shell/LoadingWindow.h"

#include <algorithm>

namespace sweepora {

namespace {

constexpr char kClassName[] = "Sweepora.frmloading";
constexpr UINT_PTR kTimer = 1;
constexpr int kWidth = 320, kHeight = 72, kBarLeft = 10, kBarTop = 44;
constexpr int kBlockWidth = 7;
constexpr COLORREF kBack = RGB(0xF4, 0xF7, 0xFC), kFrameDark = RGB(0x6F, 0x86, 0xA8),
                   kFrameLight = RGB(0xDD, 0xE6, 0xF2), kBlock = RGB(0x3C, 0xB3, 0x4A), kTitle = RGB(0x1F, 0x3D, 0x6B);

void Fill(HDC dc, const RECT& r, COLORREF colour)
{
    UniqueGdiObject brush(::CreateSolidBrush(colour));
    ::FillRect(dc, &r, static_cast<HBRUSH>(brush.get()));
}

} // namespace

std::vector<int> LoadingBar::Tick()
{
    std::vector<int> painted;
    if (!running_) return painted;
    for (int i = 0; i < 2; ++i) {
        painted.push_back(position_);
        position_ += 10;
    }
    if (width_ - 5 < position_) running_ = false;
    return painted;
}

LoadingWindow::LoadingWindow(HINSTANCE instance)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursor(nullptr, IDC_WAIT);
    wc.lpszClassName = kClassName;
    ::RegisterClassA(&wc); // a second registration fails harmlessly

    {
        ScreenDc screen;
        barDc_.reset(::CreateCompatibleDC(screen.get()));
        barBitmap_.reset(::CreateCompatibleBitmap(screen.get(), kBarWidth, kBarHeight));
    }
    barPrevious_ = ::SelectObject(barDc_.get(), barBitmap_.get());
    PaintFrame();

    const int x = (::GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2, y = (::GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
    window_.reset(::CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kClassName, "Sweepora", WS_POPUP, x, y, kWidth,
                                    kHeight, nullptr, nullptr, instance, this));
    if (!window_) return;
    ::SetTimer(window_.get(), kTimer, 50, nullptr);
    ::ShowWindow(window_.get(), SW_SHOWNOACTIVATE);
    ::UpdateWindow(window_.get());
}

LoadingWindow::~LoadingWindow()
{
    if (window_) ::KillTimer(window_.get(), kTimer);
    window_.reset();
    if (barDc_) ::SelectObject(barDc_.get(), barPrevious_);
}

// The frame: a left piece, a middle stretched over all but 9 units, a right piece.
void LoadingWindow::PaintFrame()
{
    HDC dc = barDc_.get();
    Fill(dc, {0, 0, kBarWidth, kBarHeight}, kBack);
    Fill(dc, {0, 0, 4, kBarHeight}, kFrameDark);
    Fill(dc, {1, 1, 4, kBarHeight - 1}, kFrameLight);
    Fill(dc, {4, 0, 4 + kBarWidth - 9, kBarHeight}, kFrameDark);
    Fill(dc, {4, 1, 4 + kBarWidth - 9, kBarHeight - 1}, RGB(0xFF, 0xFF, 0xFF));
    Fill(dc, {kBarWidth - 5, 0, kBarWidth, kBarHeight}, kFrameDark);
    Fill(dc, {kBarWidth - 5, 1, kBarWidth - 1, kBarHeight - 1}, kFrameLight);
}

void LoadingWindow::OnTimer()
{
    for (int x : bar_.Tick()) {
        // Clipped to the middle piece: the right piece is never painted over.
        const int right = std::min(x + kBlockWidth, kBarWidth - 5);
        if (right > x) Fill(barDc_.get(), {x, 4, right, kBarHeight - 4}, kBlock);
    }
    if (!bar_.Running()) ::KillTimer(window_.get(), kTimer);
    const RECT bar = {kBarLeft, kBarTop, kBarLeft + kBarWidth, kBarTop + kBarHeight};
    ::InvalidateRect(window_.get(), &bar, FALSE);
}

void LoadingWindow::OnPaint()
{
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(window_.get(), &ps);
    RECT all = {0, 0, kWidth, kHeight};
    Fill(dc, all, kBack);
    UniqueGdiObject border(::CreatePen(PS_SOLID, 1, kFrameDark));
    {
        SelectedObject pen(dc, border.get());
        SelectedObject hollow(dc, ::GetStockObject(NULL_BRUSH));
        ::Rectangle(dc, 0, 0, kWidth, kHeight);
    }
    RECT title = {kBarLeft, 8, kWidth - kBarLeft, kBarTop - 4};
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, kTitle);
    {
        SelectedObject font(dc, ::GetStockObject(DEFAULT_GUI_FONT));
        ::DrawTextA(dc, "Sweepora is loading your settings...", -1, &title, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    }
    ::BitBlt(dc, kBarLeft, kBarTop, kBarWidth, kBarHeight, barDc_.get(), 0, 0, SRCCOPY);
    ::EndPaint(window_.get(), &ps);
}

LRESULT CALLBACK LoadingWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<LoadingWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    // window_ is not set yet during creation.
    if (self != nullptr && self->window_.get() == window) {
        switch (message) {
        case WM_TIMER:
            if (wParam == kTimer) self->OnTimer();
            return 0;
        case WM_PAINT:
            self->OnPaint();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        }
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

} // namespace sweepora
