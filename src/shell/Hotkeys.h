#pragma once
#include <windows.h>

#include <array>

namespace sweepora {

// CTRL+ALT+U and CTRL+ALT+H. Registered with the system, so an idle program wakes no
// timer; a combination another program holds is polled instead. Either way a press acts
// once however long the keys are held.
class Hotkeys {
public:
    enum Combination : int { kNone = 0, kUnhide = 1, kActions = 2 };
    static constexpr UINT_PTR kPollTimer = 3, kReleaseTimer = 4;
    static constexpr UINT kPollMilliseconds = 10, kReleaseMilliseconds = 30;

    using KeyStateFn = SHORT(WINAPI*)(int);

    // `keyState` reads one key as GetAsyncKeyState does; tests give their own keyboard.
    explicit Hotkeys(KeyStateFn keyState = &::GetAsyncKeyState) : keyState_(keyState) {}
    Hotkeys(const Hotkeys&) = delete;
    Hotkeys& operator=(const Hotkeys&) = delete;
    ~Hotkeys() { Stop(); }

    // Registers both with `window`; true for a combination that has to be polled.
    std::array<bool, 3> Start(HWND window);
    void Stop();
    bool Polled(Combination c) const { return polled_[c]; }

    // WM_HOTKEY's id: the combination to act on now, or kNone for a press still held.
    Combination OnHotKey(WPARAM id);
    // WM_TIMER: the combination newly pressed, or kNone.
    Combination OnTimer(UINT_PTR timer);

private:
    bool Down(Combination c) const;
    bool LetterDown(Combination c) const { return (keyState_(Letter(c)) & 0x8000) != 0; }
    static int Letter(Combination c) { return c == kUnhide ? 'U' : 'H'; }
    void WatchRelease();

    KeyStateFn keyState_;
    HWND window_ = nullptr;
    std::array<bool, 3> registered_{}, polled_{}, held_{};
    bool watching_ = false;
};

// Shows and restores `window` and brings it to the front.
void RestoreWindow(HWND window);
// Hides `window` and leaves it minimised, the state in which the tray menu works.
void HideWindow(HWND window);

} // namespace sweepora
